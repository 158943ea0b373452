#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "Speicherbudget.h"

#include <functional>
#include <optional>

namespace schnitt {

// Qt refuses to allocate a decoded picture above this size. Set in one place
// so that a file whose header claims an absurd size gives an error instead of
// taking all memory.
#ifdef SICHTWERK_FUZZ_SPEICHERGRENZE_MB
// The fuzz build refuses large pictures sooner, so that a header claiming
// one is refused before it takes the fuzzer's memory.
inline constexpr int SpeichergrenzeMB = SICHTWERK_FUZZ_SPEICHERGRENZE_MB;
#else
inline constexpr int SpeichergrenzeMB = 1024;
#endif

struct GeladenesBild
{
    QImage bild;    // Format_RGB32, no alpha; null on failure
    QString fehler; // German reason, empty on success
    // The whole picture's size, and where `bild` lies in it: bildLaden always
    // gives the whole picture, bereichLaden may give only a part.
    QSize vollGroesse;
    QPoint ursprung;
    // The batch's memory this picture holds until it is dropped.
    Speicherbudget::Anteil anteil;
    // The file's ICC colour profile, for views in formats that can carry it;
    // empty when it has none.
    QByteArray icc;
    // The EXIF orientation the file names (1 … 8, 1 when none); the pixels
    // are as stored all the same.
    int orientierung = 1;
    // The file's bytes, and whether they are a JPEG: a view may be cut from
    // them without decoding.
    QByteArray inhalt;
    bool jpeg = false;

    bool ok() const { return fehler.isEmpty(); }
};

// Decodes a BMP, JPEG, GIF, PNG, TIFF or WebP file, recognised by its
// content, not its name. Orientation tags are ignored, since the rectangles
// are measured on the stored pixels. Transparent pixels come out white; 16
// bits per sample become 8 as v * 255 / 65535 rounded to the nearest, as in
// the picture saved with 8 bits. Truncated data is refused rather than shown
// half grey or half garbage. Touches no shared state, so it may run on any
// thread.
GeladenesBild bildLaden(const QString& pfad);

// Like bildLaden, but of a JPEG only the rows and columns `bereich` needs are
// decoded, and `bild` holds just `bereich` clipped to the picture, at
// `ursprung`, with the pixels of the full decode. The size limit counts only
// that part (and, for a progressive file, libjpeg's coefficients), so a JPEG
// far larger than the limit can be cut. Other formats, and a `bereich` that
// misses the picture, are decoded whole. With a `budget`, the memory the
// decode needs is taken from it first (waiting while others hold it) and held
// in `anteil`.
GeladenesBild bereichLaden(const QString& pfad, const QRect& bereich,
                           Speicherbudget* budget = nullptr);

// What a picture's header tells before anything is decoded.
struct Bildkopf
{
    QSize groesse;        // as stored
    int orientierung = 1; // EXIF, 1 … 8
    bool jpeg = false;
    QByteArrayView inhalt; // the file's bytes
};

// Chooses, from the header, what to decode: a part of the stored pixels, an
// invalid rectangle for the whole picture, or nothing at all (the picture
// then comes back without pixels but with its size, orientation, profile and
// bytes).
using Bereichswahl = std::function<std::optional<QRect>(const Bildkopf& kopf)>;

// bereichLaden with the part chosen once the header is read. A picture whose
// header does not tell its size is decoded whole without asking.
GeladenesBild bereichLaden(const QString& pfad, const Bereichswahl& wahl,
                           Speicherbudget* budget = nullptr);

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
// bildLaden, including the size limit, which counts the full size. With
// `aufrichten` a picture stored on its side is turned upright by its EXIF
// orientation, `vollGroesse` too.
Vorschaubild vorschauLaden(const QString& pfad, QSize ziel, bool aufrichten = false);

struct Bildgroesse
{
    QSize groesse;        // from the header, as stored; invalid on failure
    int orientierung = 1; // EXIF, 1 … 8
    QString fehler;       // German reason, empty on success

    bool ok() const { return fehler.isEmpty(); }
};

// The picture's size from its header alone, nothing decoded: checking the
// rectangles against a folder of large pictures takes a moment, not minutes.
// The same reasons as bildLaden for a file that is missing, no plain file,
// empty or of no known format; a file cut short behind its header passes
// (except a TIFF, whose header may stand at its end).
Bildgroesse groesseLesen(const QString& pfad);

} // namespace schnitt
