#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace schnitt {

// Qt refuses to allocate a decoded picture above this size. Set in one place
// so that a file whose header claims an absurd size gives an error instead of
// taking all memory.
inline constexpr int SpeichergrenzeMB = 1024;

struct GeladenesBild
{
    QImage bild;    // Format_RGB32, no alpha; null on failure
    QString fehler; // German reason, empty on success
    // The whole picture's size, and where `bild` lies in it: bildLaden always
    // gives the whole picture, bereichLaden may give only a part.
    QSize vollGroesse;
    QPoint ursprung;

    bool ok() const { return fehler.isEmpty(); }
};

// Decodes a BMP, JPEG or GIF file, recognised by its content, not its name.
// Orientation tags are ignored, since the rectangles are measured on the
// stored pixels. Transparent pixels come out white. Truncated BMP, JPEG and
// GIF data is refused rather than shown half grey or half garbage. Touches no
// shared state, so it may run on any thread.
GeladenesBild bildLaden(const QString& pfad);

// Like bildLaden, but a JPEG is decoded only as far down as `bereich` reaches
// and `bild` holds just `bereich` clipped to the picture, at `ursprung`. Its
// pixels are those of the full decode: the JPEG reader decodes whole rows from
// the top and merely stops early. Other formats, and a `bereich` that misses
// the picture, are decoded whole. Same errors and refusals as bildLaden.
GeladenesBild bereichLaden(const QString& pfad, const QRect& bereich);

struct Vorschaubild
{
    QImage bild;       // Format_RGB32, no alpha; null on failure
    QSize vollGroesse; // the picture's size in pixels, from its header
    QString fehler;    // German reason, empty on success

    bool ok() const { return fehler.isEmpty(); }
};

// For the preview: decodes the picture at about `ziel` size where the reader
// can (a JPEG is scaled down by a power of two while decoding, never below
// `ziel` in either direction), else whole. Same errors and refusals as
// bildLaden, including the size limit, which counts the full size.
Vorschaubild vorschauLaden(const QString& pfad, QSize ziel);

struct Bildgroesse
{
    QSize groesse;  // from the header; invalid on failure
    QString fehler; // German reason, empty on success

    bool ok() const { return fehler.isEmpty(); }
};

// The picture's size from its header alone, nothing decoded: checking the
// rectangles against a folder of large pictures takes a moment, not minutes.
// The same reasons as bildLaden for a file that is missing, no plain file,
// empty or no BMP, JPEG or GIF; a file cut short behind its header passes.
Bildgroesse groesseLesen(const QString& pfad);

} // namespace schnitt
