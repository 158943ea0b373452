#pragma once

#include "Schneider.h"
#include "Stapel.h"

#include "config/FrameKonfig.h"
#include "config/FrameRechteck.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The overview's tiles: one direction's view of each picture, cut as
// "Ausschneiden" cuts it and shrunk to a small height. The window and the
// command line make them here, so that both give the same pixels.
namespace schnitt {

inline constexpr int KachelhoeheMin = 60;
inline constexpr int KachelhoeheMax = 240;
inline constexpr int KachelhoeheStandard = 120;

// What every tile of one overview is made with.
struct Kachelvorgabe
{
    Schnittplan plan; // exactly one cut, with the frame file's [Vorlage] and panorama views
    int hoehe = KachelhoeheStandard;
    int breite = 0; // the box each view is shrunk into; kachelbreite()
};

// The overview of `richtung` with what the frame file says; its `karten`
// are shared by all tiles. Nothing when the direction is not configured.
std::optional<Kachelvorgabe> kachelvorgabe(const frames::FrameKonfiguration& konfiguration,
                                           const FrameRechteck& rechteck, Richtung richtung,
                                           int hoehe);
// The same from a plan that holds the cut among others.
Kachelvorgabe kachelvorgabe(Schnittplan plan, const Schnitt& schnitt, int hoehe);
// The direction an overview shows first: the first configured one in the
// overlay's order.
std::optional<Richtung> ersteRichtung(const std::array<FrameRechteck, 4>& rahmen);

// The box width for views of the file's shape at `hoehe`, within a quarter
// and four times the height.
int kachelbreite(const FrameRechteck& rechteck, int hoehe);

// The size a view of `ansicht` pixels is shrunk to: as large as fits in the
// box with its shape kept, never enlarged.
QSize kachelgroesse(QSize ansicht, int breite, int hoehe);

struct Kachel
{
    QString name;       // as in the picture list, with a folder part where given
    QImage bild;        // Format_RGB32; null for a red tile
    QString grund;      // why the tile is red, for the tile itself
    QStringList zeilen; // the log's lines for it, the same reason in full

    bool rot() const { return !grund.isEmpty(); }
};

// `bereich` of `quelle` (in its pixels, fractions allowed) shrunk to `ziel`
// by area averaging: each target pixel is the mean of the source area it
// covers, partly covered pixels weighted by their share, so that fine
// detail does not alias. Rounded to the nearest. Format_RGB32.
QImage flaechenmittel(const QImage& quelle, const QRectF& bereich, QSize ziel);

// One tile. A picture whose frame does not fit (rahmenPruefen, as
// --pruefen checks it) or that cannot be read gets a red tile. A JPEG is
// decoded at the smallest DCT scale that still gives the tile's size, and
// only the part its view needs; a video gives its frame 0. Touches no shared
// state but the plan's maps, so tiles may be made on several threads.
Kachel kachelMachen(const Stapelbild& bild, const Kachelvorgabe& vorgabe);

} // namespace schnitt
