// A video in the preview: one frame at a time, chosen with the slider or the
// keys, with the frames drawn over it; "Ausschneiden" cuts the frame on show.

#include "Form1.h"

#include "Bildfeld.h"
#include "DateiListe.h"
#include "views/Ausschnitt.h"
#include "views/Meldungen.h"
#include "views/Schneider.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

bool Form1::videoZeigen(const QString& pfad, const QString& name)
{
    auto video = std::make_unique<schnitt::video::Video>(schnitt::video::Video::ausDatei(pfad));
    if (const QString grund = video->fehlerBeimOeffnen(); !grund.isEmpty()) {
        // The previous picture, frames and buttons stay usable.
        SchreibProtokoll(schnitt::meldung::NichtGeladen.arg(name, grund));
        return false;
    }
    m_video = std::move(video);
    m_videoName = name;
    {
        const QSignalBlocker still(Bildregler);
        Bildregler->setRange(0, int(qMin<qint64>(m_video->bildanzahl() - 1, INT_MAX)));
        Bildregler->setValue(0);
    }
    Bildregler->show();
    Bildanzeige->show();
    videobildZeigen(0);
    vorschauGeladen(name);
    return true;
}

void Form1::videoSchliessen()
{
    m_video.reset();
    m_videoName.clear();
    Bildregler->hide();
    Bildanzeige->hide();
}

void Form1::videobildZeigen(qint64 nummer)
{
    if (!m_video || nummer < 0 || nummer >= m_video->bildanzahl())
        return;
    const std::optional<schnitt::video::Videobild> bild = m_video->bild(nummer);
    if (!bild) {
        const std::optional<schnitt::video::Lesefehler>& f = m_video->fehler();
        SchreibProtokoll(schnitt::video::NichtLesbar.arg(
            m_videoName, QString::number(f ? f->abBild : nummer),
            f ? f->grund : schnitt::video::GrundBeschaedigt.toString()));
        return;
    }
    m_videobild = nummer;
    {
        const QSignalBlocker still(Bildregler);
        Bildregler->setValue(int(nummer));
    }
    Bildanzeige->setText(
        QStringLiteral("Bild %1 · %2 s").arg(nummer).arg(schnitt::sekunden(bild->zeit.sekunden())));
    Picture1->setzeBild(bild->bild, bild->bild.size());
    Picture3->leeren();
    Picture3->zeichneGestreckt(bild->bild);
    rahmenAnordnen();
}

qint64 Form1::abstandsbild(qint64 von, int richtung) const
{
    const schnitt::video::Abstand& a = m_konfiguration.abstand;
    const qint64 letztes = m_video->bildanzahl() - 1;
    if (a.bilder > 0)
        return qBound<qint64>(0, von + richtung * a.bilder, letztes);
    // The first frame at or after the time one spacing away; back, the
    // first frame at or after the time one spacing earlier.
    const double schritt = double(a.zaehler) / double(a.nenner);
    const double ziel = m_video->zeit(von).sekunden() + richtung * schritt;
    qint64 n = von;
    if (richtung > 0) {
        while (n < letztes && m_video->zeit(n).sekunden() < ziel)
            ++n;
    } else {
        while (n > 0 && m_video->zeit(n - 1).sekunden() >= ziel)
            --n;
        if (n == von && n > 0)
            --n;
    }
    return n;
}

bool Form1::videoTaste(int taste)
{
    if (!m_video || m_schneidet)
        return false;
    switch (taste) {
    case Qt::Key_Comma:
        videobildZeigen(m_videobild - 1);
        return true;
    case Qt::Key_Period:
        videobildZeigen(m_videobild + 1);
        return true;
    case Qt::Key_PageUp:
        videobildZeigen(abstandsbild(m_videobild, -1));
        return true;
    case Qt::Key_PageDown:
        videobildZeigen(abstandsbild(m_videobild, +1));
        return true;
    default:
        return false;
    }
}

int Form1::videobildAusschneiden()
{
    const std::optional<schnitt::video::Videobild> bild = m_video->bild(m_videobild);
    if (!bild) {
        videobildZeigen(m_videobild); // says why
        return 0;
    }
    const schnitt::Schnittplan plan = schnittplan(
        schnitt::schnitteFuer(angehakt(), m_konfiguration.panorama, m_konfiguration.gier));
    const schnitt::Bildschnitt ergebnis =
        schnitt::videobildSchneidenIn(m_videoName, *bild, m_video->aufnahmezeit(bild->zeit), plan,
                                      schnitt::ausgabeOrdner(m_programmordner));
    for (const QString& zeile : schnitt::protokollieren(ergebnis, letztedatei))
        SchreibProtokoll(zeile);
    return int(ergebnis.dateien.size());
}
