#pragma once

#include "config/FrameKonfig.h"
#include "config/FrameRechteck.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QSize>

#include <map>
#include <memory>
#include <tuple>

// Perspective views cut from a 360° equirectangular panorama, whose columns
// are longitude and whose rows are latitude.
//
// Two coordinate frames appear here. The projection gives (u, v) with the
// centre of source pixel (c, r) at (c, r), so the picture spans −0.5 … W−0.5.
// What is drawn on the picture (outline, label, hit tests, drags) uses
// picture coordinates, in which the picture spans 0 … W and 0 … H and the
// seam is the lines x = 0 and x = W, as a QPainter scaled to the picture
// expects: (u + 0.5, v + 0.5).
namespace schnitt::panorama {

// One view. Angles in degrees: `blickwinkel` is the horizontal field of view,
// `gier` turns right from the middle column, `nick` looks up.
struct Blick
{
    double blickwinkel = 90;
    double gier = 0;
    double nick = 0;
    int breite = 0; // of the view, in pixels
    int hoehe = 0;
    bool bikubisch = false; // Catmull-Rom instead of bilinear

    friend bool operator==(const Blick&, const Blick&) = default;
};

// What the configuration may hold; the projection itself takes any finite
// angles.
inline constexpr double MinBlickwinkel = 1;
inline constexpr double MaxBlickwinkel = 179;
inline constexpr double MaxNick = 90;

// Whether the picture has the 2:1 shape of a full panorama.
bool zweiZuEins(QSize quelle);

// The source position (u, v) that output pixel (i, j) shows: i and j are
// pixel indices (0 … breite−1, 0 … hoehe−1), the pixel's centre being taken.
// Fractional and out-of-range indices give the continued projection, e.g.
// i = −0.5 the view's left border.
QPointF quellpunkt(QSize quelle, const Blick& blick, double i, double j);

// The picture point at the view's centre, where its name is drawn.
QPointF mitte(QSize quelle, const Blick& blick);

// The view's footprint on the picture: the image of its border, in picture
// coordinates, each polygon closed (last point = first). A footprint that
// crosses the seam comes as two pieces, each closed along the picture edge.
// One that holds a pole goes once around all longitudes and is closed along
// the top or bottom edge. Each edge of the view is sampled at
// `punkteJeKante` points (at most MaxPunkteJeKante). Empty for an unusable
// size or view.
QList<QPolygonF> umriss(QSize quelle, const Blick& blick, int punkteJeKante = 64);
inline constexpr int MaxPunkteJeKante = 1 << 16;

// Whether the picture point lies inside the view's footprint; for the
// editor's drag and wheel.
bool enthaelt(QSize quelle, const Blick& blick, QPointF bildpunkt);

// The view moved with the mouse by `delta` picture pixels: the footprint's
// centre follows the mouse, yaw wraps into (−180, 180], pitch stops at ±90.
Blick verschoben(const Blick& blick, QSize quelle, QPointF delta);

// Yaw in (−180, 180].
double gierNormiert(double gier);

// For every output pixel, where to sample the source: computed once per
// source size and view, then applied to every picture of that size. Holds no
// reference to any picture and is not changed after construction, so one map
// may serve several threads at once. The table (8 bytes per output pixel) is
// made for yaw 0, since yaw only shifts the columns: views that differ in
// nothing else share one table through mitGier().
class Karte final
{
public:
    Karte() = default;
    // Null when the view or the source size is unusable or memory runs out.
    // `alleKerne` computes the rows on the global thread pool.
    Karte(QSize quelle, const Blick& blick, bool alleKerne = false);

    // The same view turned to `gier`, sharing this map's table; the four
    // default directions of one size cost one table. Null for a null map or
    // a yaw that is not finite.
    Karte mitGier(double gier) const;

    bool isNull() const { return !m_punkte; }
    QSize quelle() const { return m_quelle; }
    QSize groesse() const { return m_groesse; }
    bool bikubisch() const { return m_bikubisch; }
    // The full-width band of source rows that sampling reads: every row a
    // tap with a non-zero weight lands on after clamping, no more.
    QRect bereich() const { return m_bereich; }

    // Source positions are kept in fixed point with this many fractional bits.
    static constexpr int Bruchbits = 12;

private:
    friend QImage abbilden(const QImage&, QPoint, QSize, const Karte&, bool);
    struct Punkt
    {
        qint32 u; // wrapped into the picture
        qint32 v; // not clamped: the kernel's taps are
    };
    std::shared_ptr<const Punkt[]> m_punkte; // shared by copies
    QSize m_quelle, m_groesse;
    QRect m_bereich;
    qint32 m_versatz = 0; // the yaw, in fixed-point columns
    bool m_bikubisch = false;
};

// Karte(quelle, blick).bereich() without holding the map: the rows of a JPEG
// that must be decoded. Empty when the map would be null.
QRect benoetigterBereich(QSize quelle, const Blick& blick, bool alleKerne = false);

// The view, Format_RGB32, each channel rounded to the nearest integer.
// `quelle` may be a band of the full picture of `vollGroesse` (full width,
// its top row at `ursprung`); it must hold the map's bereich(), and is best
// Format_RGB32 (other formats are converted first). Null when it does not
// hold the band, when the map is null or was made for another size, or when
// memory runs out. `alleKerne` samples on the global thread pool: for a
// single cut, not inside a batch, which already keeps every core busy.
QImage abbilden(const QImage& quelle, QPoint ursprung, QSize vollGroesse, const Karte& karte,
                bool alleKerne = false);

} // namespace schnitt::panorama

namespace schnitt {

// A direction's panorama entries as the projection takes them.
panorama::Blick blickAus(const frames::Panoramablick& p, const FrameRechteck& r);

// The maps of a batch's panorama views: one table per picture size and view
// shape, made by the first worker that needs it and shared by all; the
// directions of one shape differ only in yaw and share the table.
class Kartenvorrat final
{
public:
    panorama::Karte karte(QSize quelle, const panorama::Blick& blick);

private:
    using Schluessel = std::tuple<int, int, double, double, int, int, bool>;
    QMutex m_sperre;
    std::map<Schluessel, panorama::Karte> m_karten;
};

} // namespace schnitt
