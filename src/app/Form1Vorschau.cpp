// The picture preview, the frame overlay over it, and the sample file.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "Umrissfeld.h"
#include "Vergleichsfeld.h"
#include "config/Beispielconfig.h"
#include "config/FrameSlots.h"
#include "views/Bildladen.h"
#include "views/Geometrie.h"
#include "views/Meldungen.h"
#include "views/Overlay.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

void Form1::File1_DblClick()
{
    const QString name = File1->fileName();
    const QString pfad = File1->path() + u'/' + name;
    if (!QFileInfo(pfad).isFile()) {
        SchreibProtokoll(QStringLiteral("Error: ") + name + QStringLiteral(" existiert nicht"));
        return;
    }
    if (schnitt::video::istVideodatei(name)) {
        if (videoZeigen(pfad, name))
            bildgeladen = true;
        return;
    }
    // Decoded at about the preview's size; the full size comes from the header.
    const schnitt::Vorschaubild geladen = schnitt::vorschauLaden(
        pfad, QSize(Picture3->innenBreite(), Picture3->innenHoehe()), m_konfiguration.vorlage.exif);
    if (!geladen.ok()) {
        // The previous picture, frames and buttons stay usable.
        SchreibProtokoll(schnitt::meldung::NichtGeladen.arg(name, geladen.fehler));
        return;
    }

    videoSchliessen();
    Picture1->setzeBild(geladen.bild, geladen.vollGroesse);
    Picture3->leeren();
    Picture3->zeichneGestreckt(geladen.bild);
    vorschauGeladen(name);
    bildgeladen = true;
}

void Form1::vorschauGeladen(const QString& name)
{
    SchreibProtokoll(name + QStringLiteral(" geladen..."));
    Framesberechnen();
    Label1->hide();
    Command5->setEnabled(true);
    if (!framedateien[1].isEmpty()) {
        Command1->setEnabled(true);
        Command6->setEnabled(true);
    }
}

void Form1::Ladebalkenzeigen(bool zeigen)
{
    Ladebalken->setVisible(zeigen);
    // The work that follows keeps the event loop busy; paint the label now
    // so the user sees it at all.
    if (zeigen && isVisible())
        Ladebalken->repaint();
}

QCheckBox* Form1::checkFuer(Richtung r) const
{
    switch (r) {
    case Richtung::Vorwaerts:
        return Check3;
    case Richtung::Links:
        return Check1;
    case Richtung::Rechts:
        return Check2;
    case Richtung::Zurueck:
        return Check4;
    }
    return nullptr;
}

void Form1::Framesberechnen()
{
    rahmenAnordnen();
    SchreibProtokoll(QStringLiteral("Frames neu berechnet..."));
}

void Form1::rahmenAnordnen()
{
    for (Richtung r : overlayReihenfolge) {
        const FrameRechteck f = rechteck(r);
        QCheckBox* box = checkFuer(r);
        if (f.width == 0) {
            Rahmen[info(r).rahmenIndex]->hide();
            box->setEnabled(false);
            box->setChecked(false);
        } else if (istPanorama(r)) {
            // Drawn as its footprint; its Top and Left mean nothing.
            Rahmen[info(r).rahmenIndex]->hide();
            box->setEnabled(true);
        } else {
            // Where the frame lies in this picture: scaled to its size where
            // the file says so.
            rahmenPlatzieren(wirksamesRechteck(f), info(r).rahmenIndex + 1);
            box->setEnabled(true);
        }
    }
    umrisseAnordnen();
    vergleicheAnordnen();
}

void Form1::Rahmensetzen(qint16 Top, qint16 Left, qint16 Width, qint16 Height, qint16 Nummer)
{
    rahmenPlatzieren(QRect(Left, Top, Width, Height), Nummer);
}

QSize Form1::bildGroesse() const
{
    return QSize(Picture1->innenBreite(), Picture1->innenHoehe());
}

QRect Form1::wirksamesRechteck(const FrameRechteck& f) const
{
    return schnitt::wirksamesRechteck(f, m_konfiguration.vorlage, bildGroesse());
}

void Form1::rahmenPlatzieren(const QRect& r, int Nummer)
{
    if (Nummer < 1 || Nummer > 4)
        return;
    const overlay::Geometrie g = overlay::skaliert(r, Picture1->size(), Picture3->size());
    QLabel* label = Rahmen[Nummer - 1];
    label->setGeometry(overlay::aufPixel(g));
    label->raise();
    label->show();
}

void Form1::Command5_Click()
{
    // Read off Vorwärts's frame, as always; footprints on show count as
    // shown frames too, so that the first press hides them.
    const bool zeigen = Rahmen[0]->isHidden() && (m_umrissfeld->isHidden() || m_umrissfeld->leer());
    for (const RichtungsInfo& r : richtungen)
        Rahmen[r.rahmenIndex]->setVisible(zeigen && !istPanorama(r.richtung));
    m_umrissfeld->setVisible(zeigen);
    m_vergleichsfeld->setVisible(zeigen);
}

void Form1::Command4_Click()
{
    Ladebalkenzeigen(true);
    SchreibBeispielconfig();
    Ladebalkenzeigen(false);
}

void Form1::SchreibBeispielconfig()
{
    QString fehler;
    if (beispiel::schreiben(m_programmordner + u'/' + QString::fromUtf16(beispiel::Dateiname),
                            &fehler))
        SchreibProtokoll(QStringLiteral("Beispieldatei erstellt..."));
    else
        SchreibProtokoll(QStringLiteral("Error: Beispieldatei nicht erstellt. ") + fehler);
}
