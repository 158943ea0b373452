#include "Geometrie.h"

#include <QTransform>

#include <algorithm>
#include <cstdlib>

namespace schnitt {

namespace {

// z · mal / durch, rounded half away from zero, exact in 64-bit integers:
// doubles would round 0.5 of a pixel either way at some sizes.
qint64 teilen(qint64 z, qint64 mal, qint64 durch)
{
    const qint64 n = z * mal;
    const qint64 q = (2 * std::llabs(n) + durch) / (2 * durch);
    return n < 0 ? -q : q;
}

int knapp32(qint64 v)
{
    return int(std::clamp<qint64>(v, -(qint64(1) << 30), qint64(1) << 30));
}

qint16 knapp16(qint64 v)
{
    return qint16(std::clamp<qint64>(v, -32768, 32767));
}

} // namespace

QRect wirksamesRechteck(const FrameRechteck& r, const frames::Vorlage& vorlage, QSize bild)
{
    if (!vorlage.skalieren || bild.isEmpty())
        return QRect(r.left, r.top, r.width, r.height);
    const qint64 links = teilen(r.left, bild.width(), vorlage.breite);
    const qint64 rechts = teilen(qint64(r.left) + r.width, bild.width(), vorlage.breite);
    const qint64 oben = teilen(r.top, bild.height(), vorlage.hoehe);
    const qint64 unten = teilen(qint64(r.top) + r.height, bild.height(), vorlage.hoehe);
    return QRect(knapp32(links), knapp32(oben), knapp32(rechts - links), knapp32(unten - oben));
}

FrameRechteck inDateiEinheiten(const QRect& r, const frames::Vorlage& vorlage, QSize bild)
{
    if (!vorlage.skalieren || bild.isEmpty())
        return {knapp16(r.top()), knapp16(r.left()), knapp16(r.width()), knapp16(r.height())};
    const qint64 links = teilen(r.left(), vorlage.breite, bild.width());
    const qint64 rechts = teilen(qint64(r.left()) + r.width(), vorlage.breite, bild.width());
    const qint64 oben = teilen(r.top(), vorlage.hoehe, bild.height());
    const qint64 unten = teilen(qint64(r.top()) + r.height(), vorlage.hoehe, bild.height());
    return {knapp16(oben), knapp16(links), knapp16(rechts - links), knapp16(unten - oben)};
}

QSize aufrecht(QSize gespeichert, int orientierung)
{
    return orientierung >= 5 && orientierung <= 8 ? gespeichert.transposed() : gespeichert;
}

QRect inGespeicherte(const QRect& r, QSize gespeichert, int orientierung)
{
    const int w = gespeichert.width(), h = gespeichert.height();
    const int x = r.x(), y = r.y(), b = r.width(), t = r.height();
    switch (orientierung) {
    case 2:
        return QRect(w - x - b, y, b, t);
    case 3:
        return QRect(w - x - b, h - y - t, b, t);
    case 4:
        return QRect(x, h - y - t, b, t);
    case 5:
        return QRect(y, x, t, b);
    case 6:
        return QRect(y, h - x - b, t, b);
    case 7:
        return QRect(w - y - t, h - x - b, t, b);
    case 8:
        return QRect(w - y - t, x, t, b);
    default:
        return r;
    }
}

QImage aufrichten(const QImage& bild, int orientierung)
{
    // Quarter turns are exact pixel moves in Qt; nothing is resampled.
    const QTransform viertel = QTransform().rotate(90);
    switch (orientierung) {
    case 2:
        return bild.mirrored(true, false);
    case 3:
        return bild.mirrored(true, true);
    case 4:
        return bild.mirrored(false, true);
    case 5:
        return bild.transformed(viertel).mirrored(true, false);
    case 6:
        return bild.transformed(viertel);
    case 7:
        return bild.transformed(viertel).mirrored(false, true);
    case 8:
        return bild.transformed(QTransform().rotate(270));
    default:
        return bild;
    }
}

} // namespace schnitt
