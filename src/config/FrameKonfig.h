#pragma once

#include "FrameRechteck.h"
#include "views/Abstand.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace frames {

// The key names of the four values in the order they are read.
inline constexpr std::array<const char16_t*, 4> schluessel = {u"Top", u"Left", u"Width", u"Height"};

// Writes the four values of `rechteck` into the section of `richtung` in the
// file at `pfad`, in one replacement of the file: it never holds only some of
// the new values, and every other section and entry stays as it was. On
// failure returns false with a German reason naming the file in `fehler`.
// With `vorlage`, the same replacement also records in [Vorlage] the size of
// the picture the frame was set up on (Breite, Hoehe) and Anpassen=nein, so
// that how the file is used does not change.
bool rechteckSchreiben(const QString& pfad, Richtung richtung, const FrameRechteck& rechteck,
                       QString* fehler = nullptr, std::optional<QSize> vorlage = std::nullopt);

// The four rectangles of the file at `pfad`, in the order of `richtungen`.
// Every missing or unusable value reads as 0; nothing is reported.
std::array<FrameRechteck, 4> laden(const QString& pfad);

enum class Ausgabeformat { bmp, png, jpg, tif, webp };

// [Ausgabe]: the file type of the views.
struct Ausgabe
{
    Ausgabeformat format = Ausgabeformat::bmp;
    int qualitaet = 90;
    bool qualitaetGesetzt = false; // a WebP view is lossless unless a quality is given
    bool verlustfrei = false;      // JPEG views of JPEG pictures cut without re-encoding
    // Ordner=je Richtung: each direction's views in a folder of its own (V,
    // L, R, Z) under the picture's name alone, as a camera rig's pictures.
    bool jeRichtung = false;
};

// [Vorlage]: the picture the frames were set up on.
struct Vorlage
{
    bool vorhanden = false; // the file has the section, with any entry
    qint64 breite = 0;      // > 0 where given
    qint64 hoehe = 0;
    bool skalieren = false; // only with a usable Breite and Hoehe
    bool exif = false;      // pictures turned upright by their orientation tag first
};

// A direction whose Blickwinkel is greater than 0 is a perspective view of a
// 360° panorama; its Width and Height are the view's size.
struct Panoramablick
{
    double blickwinkel = 0; // horizontal, degrees, 1 … 179
    double gier = 0;        // degrees, 0 the panorama's middle, positive to the right
    double nick = 0;        // degrees, −90 … 90, positive up
    bool bikubisch = false;
};

// Everything a frame configuration file says, read once.
struct FrameKonfiguration
{
    std::array<FrameRechteck, 4> rahmen{};                  // in the order of `richtungen`
    std::array<std::optional<Panoramablick>, 4> panorama{}; // the same
    // Where each direction looks, degrees from Vorwärts, positive to the
    // right: its Gier, else vorgabeGier. A rectangle's pixels do not depend
    // on it; a view's heading does.
    std::array<double, 4> gier = {0, -90, 90, 180};
    Ausgabe ausgabe;
    Vorlage vorlage;
    // Which frames of a video are cut: [Video] Abstand.
    schnitt::video::Abstand abstand = schnitt::video::StandardAbstand;
    // An entry that makes every cut impossible (an unknown format, a quality
    // out of range): no view may be written. German, without "Error: ".
    QString fehler;
    // Lines for the log when the file is loaded: the output format where it
    // is not BMP, and entries that cannot be used as written ("Error: …").
    // None for a file without the newer sections.
    QStringList meldungen;
};

// Reads the file at `pfad`. A file without [Ausgabe], [Vorlage] and panorama
// entries gives exactly the rectangles of `laden` and nothing else.
FrameKonfiguration konfigurationLesen(const QString& pfad);

// The format a frame configuration file or a command line names ("bmp",
// "png", "jpg", "tif", "webp", in any case, blanks around it ignored);
// nothing for any other text, which callers refuse instead of falling back.
std::optional<Ausgabeformat> formatLesen(QStringView text);

// The name of a format as the user reads it ("PNG"), and the extension of
// its files ("png").
QString formatName(Ausgabeformat format);
QString formatEndung(Ausgabeformat format);

// The yaw a direction looks in when its section names none.
double vorgabeGier(Richtung richtung);

// A panorama angle as the editor writes it: with a point, at most two
// decimals, no trailing zeros ("90", "-12.5", "33.33").
QString winkelText(double winkel);

// Writes Blickwinkel, Gier and Nick of `blick` into the section of
// `richtung` like rechteckSchreiben: in one replacement of the file, every
// other entry as it was. On failure returns false with a German reason
// naming the file in `fehler`.
bool panoramaSchreiben(const QString& pfad, Richtung richtung, const Panoramablick& blick,
                       QString* fehler = nullptr);

} // namespace frames
