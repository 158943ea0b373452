// Keys of the main window. They act wherever the focus is, since the window
// sees each key before its controls do.

#include "Form1.h"

#include "config/FrameSlots.h"

void Form1::Form_KeyDown(qint16 KeyCode, qint16 Shift)
{
    Q_UNUSED(Shift); // a key acts alike with or without Shift, Ctrl or Alt
    switch (KeyCode) {
    case 13:
        // Enter cuts even while the button itself is disabled.
        Command1_Click();
        return;
    case 27:
        frameauswahl = false;
        SchreibProtokoll(QStringLiteral("Überschreiben abgebrochen..."));
        return;
    case 72:
        Command5_Click();
        return;
    default:
        break;
    }
    if (KeyCode >= 49 && KeyCode <= 57) {
        const int slot = KeyCode - 48;
        if (!framedateien[slot].isEmpty())
            framewahl(static_cast<qint16>(slot - 1));
    }
}
