// Panorama views set up on the picture: their footprints drawn over the
// preview, dragged to turn a view, the wheel to widen or narrow it, the arrow
// keys for single degrees. Saved, logged and undone like the frames.

#include "Form1.h"

#include "Umrissfeld.h"
#include "config/FrameSlots.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

using namespace schnitt::panorama;

constexpr int Raste = 120; // wheel turn of one notch

// What the file will hold: hundredths of a degree, each angle in its range.
frames::Panoramablick gerundet(frames::Panoramablick p)
{
    auto hundertstel = [](double v) { return std::round(v * 100) / 100; };
    p.blickwinkel = std::clamp(hundertstel(p.blickwinkel), MinBlickwinkel, MaxBlickwinkel);
    // Normalised after rounding: −179.999 rounds to −180, which is 180.
    p.gier = gierNormiert(hundertstel(p.gier));
    p.nick = std::clamp(hundertstel(p.nick), -MaxNick, MaxNick);
    return p;
}

QString name(int index)
{
    return QString::fromUtf16(richtungen[index].name);
}

} // namespace

std::optional<Blick> Form1::panoramaBlick(int index) const
{
    const auto& p = m_konfiguration.panorama[index];
    const FrameRechteck f = rechteck(richtungen[index].richtung);
    // On a picture of other proportions the cut refuses the view with its
    // line; an outline there would show a view that is never cut.
    if (!p || !f.konfiguriert() || !zweiZuEins(bildGroesse()))
        return std::nullopt;
    return schnitt::blickAus(*p, f);
}

bool Form1::istPanorama(Richtung r) const
{
    return m_konfiguration.panorama[static_cast<size_t>(r)].has_value();
}

void Form1::umrisseAnordnen()
{
    std::array<std::optional<Umrissfeld::Umriss>, Umrissfeld::Anzahl> umrisse;
    for (int i = 0; i < Umrissfeld::Anzahl; ++i) {
        if (const std::optional<Blick> blick = panoramaBlick(i))
            umrisse[i] = Umrissfeld::Umriss{*blick, name(i)};
    }
    m_umrissfeld->setzeUmrisse(bildGroesse(), umrisse);
    m_umrissfeld->show();
}

void Form1::panoramaAktivieren(int index)
{
    rahmenAktivieren(-1);
    m_aktivesPanorama = index;
    m_umrissfeld->setzeAktiv(index);
}

bool Form1::panoramaMaus(QObject* objekt, QEvent* ereignis)
{
    const QEvent::Type art = ereignis->type();
    if (m_panoramazug && art == QEvent::MouseMove) {
        const QPointF d =
            static_cast<QMouseEvent*>(ereignis)->globalPosition() - m_panoramazug->start;
        const QPointF m = m_umrissfeld->massstab();
        const int i = m_panoramazug->index;
        const FrameRechteck f = rechteck(richtungen[i].richtung);
        const Blick neu = verschoben(schnitt::blickAus(m_panoramazug->vorher, f),
                                     m_umrissfeld->quelle(), QPointF(d.x() * m.x(), d.y() * m.y()));
        m_panoramazug->jetzt.gier = neu.gier;
        m_panoramazug->jetzt.nick = neu.nick;
        // The angles the file will hold, as the frames show their numbers.
        const frames::Panoramablick w = gerundet(m_panoramazug->jetzt);
        m_umrissfeld->setzeUmriss(
            i, {schnitt::blickAus(w, f),
                QStringLiteral("%1\nGier %2, Nick %3")
                    .arg(name(i), frames::winkelText(w.gier), frames::winkelText(w.nick))});
        return true;
    }
    if (m_panoramazug && art == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(ereignis)->button() == Qt::LeftButton) {
        const Panoramazug zug = *m_panoramazug;
        m_panoramazug.reset();
        panoramaSpeichern(richtungen[zug.index].richtung, gerundet(zug.jetzt), true);
        return true;
    }
    if (objekt != m_umrissfeld || m_zug || m_panoramazug || !rahmenBearbeitbar())
        return false;

    if (art == QEvent::MouseMove) {
        const int i = m_umrissfeld->blickBei(static_cast<QMouseEvent*>(ereignis)->position());
        if (i >= 0)
            m_umrissfeld->setCursor(Qt::SizeAllCursor);
        else
            m_umrissfeld->unsetCursor();
        return false;
    }
    if (art == QEvent::MouseButtonPress) {
        const auto* maus = static_cast<QMouseEvent*>(ereignis);
        const int i = m_umrissfeld->blickBei(maus->position());
        if (i < 0 || maus->button() != Qt::LeftButton)
            return false;
        const frames::Panoramablick p = *m_konfiguration.panorama[i];
        m_panoramazug = Panoramazug{i, maus->globalPosition(), p, p};
        panoramaAktivieren(i);
        return true;
    }
    if (art == QEvent::Wheel) {
        const auto* rad = static_cast<QWheelEvent*>(ereignis);
        const int i = m_umrissfeld->blickBei(rad->position());
        if (i < 0)
            return false;
        if (i != m_aktivesPanorama)
            m_radRest = 0;
        panoramaAktivieren(i);
        // Fine-grained wheels send parts of a notch; they add up to one.
        m_radRest += rad->angleDelta().y();
        const int rasten = m_radRest / Raste;
        m_radRest -= rasten * Raste;
        if (rasten != 0) {
            // Turned away from the user, the wheel narrows the view: it zooms in.
            frames::Panoramablick neu = *m_konfiguration.panorama[i];
            neu.blickwinkel -= rasten;
            panoramaSpeichern(richtungen[i].richtung, gerundet(neu), true);
        }
        return true;
    }
    return false;
}

bool Form1::panoramaTaste(int taste, Qt::KeyboardModifiers mod)
{
    const int i = m_aktivesPanorama;
    if (i < 0 || m_zug || m_panoramazug || !rahmenBearbeitbar() || !m_umrissfeld->zeichnet(i) ||
        !m_konfiguration.panorama[i])
        return false;
    frames::Panoramablick neu = *m_konfiguration.panorama[i];
    const bool waagrecht = taste == Qt::Key_Left || taste == Qt::Key_Right;
    if (!waagrecht && taste != Qt::Key_Up && taste != Qt::Key_Down)
        return false;
    if (mod & Qt::ShiftModifier) {
        // The keys that make a frame larger make the view wider.
        neu.blickwinkel += taste == Qt::Key_Right || taste == Qt::Key_Down ? 1 : -1;
    } else if (waagrecht) {
        neu.gier += taste == Qt::Key_Right ? 1 : -1;
    } else {
        neu.nick += taste == Qt::Key_Up ? 1 : -1;
    }
    panoramaSpeichern(richtungen[i].richtung, gerundet(neu), true);
    return true;
}

void Form1::panoramaSpeichern(Richtung richtung, const frames::Panoramablick& neu, bool merken,
                              QString datei)
{
    const std::optional<frames::Panoramablick> vorher =
        m_konfiguration.panorama[static_cast<size_t>(richtung)];
    if (datei.isEmpty())
        datei = framedateien[Frame];
    const QString name = QString::fromUtf16(info(richtung).name);
    QString fehler;
    if (frames::panoramaSchreiben(m_programmordner + u'/' + datei, richtung, neu, &fehler)) {
        if (merken && vorher)
            aenderungMerken({datei, richtung, {}, vorher});
        SchreibProtokoll(
            QStringLiteral("Panorama %1 in '%2' gespeichert: Blickwinkel %3, Gier %4, Nick %5")
                .arg(name, datei, frames::winkelText(neu.blickwinkel), frames::winkelText(neu.gier),
                     frames::winkelText(neu.nick)));
    } else {
        SchreibProtokoll(
            QStringLiteral("Error: Panorama %1 nicht gespeichert: %2").arg(name, fehler));
    }
    // The file decides, as for the frames.
    HolConfig(Frame);
    rahmenAnordnen();
}
