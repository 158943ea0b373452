// The overview window, opened from the main window and previewing there.

#include "Form1.h"

#include "DateiListe.h"
#include "Uebersicht.h"

void Form1::Command9_Click()
{
    if (!m_uebersicht) {
        m_uebersicht = new Uebersicht(this);
        // As a double-click on the name in the picture list does.
        connect(m_uebersicht, &Uebersicht::bildGewaehlt, this, [this](const QString& name) {
            File1->setFileName(name);
            if (File1->fileName() == name)
                File1_DblClick();
        });
    }
    m_uebersicht->show();
    m_uebersicht->raise();
    m_uebersicht->activateWindow();
}
