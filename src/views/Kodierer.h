#pragma once

#include "config/FrameKonfig.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringView>

#include <optional>

namespace schnitt {

// The file types a view can be saved as; the frame configuration names them.
// bmp writes the very bytes the program has always written.
using frames::Ausgabeformat;

inline constexpr int StandardQualitaet = 90;

inline constexpr bool qualitaetGueltig(int qualitaet)
{
    return qualitaet >= 1 && qualitaet <= 100;
}

struct Kodierung
{
    Ausgabeformat format = Ausgabeformat::bmp;
    // For jpg (StandardQualitaet when not given) and webp, which is lossless
    // unless a quality is given. 1 … 100.
    std::optional<int> qualitaet;
    // The source's ICC profile. PNG, JPEG, TIFF and WebP views carry an RGB
    // profile on; BMP views never do, and a grey or CMYK profile is left
    // out, since the views are RGB.
    QByteArray icc;
};

// The bytes of a file holding `ansicht` (Format_RGB32 or Format_RGB888 are
// taken as they are, other formats converted, alpha ignored): PNG lossless,
// JPEG baseline with 4:2:0 chroma, TIFF Deflate-compressed, WebP lossless or
// lossy. A null array when the view is empty, the quality is out of range,
// memory runs out or the library refuses, with the German reason in `fehler`.
// Touches no shared state, so views may be encoded on several threads.
QByteArray kodieren(const QImage& ansicht, const Kodierung& kodierung, QString* fehler = nullptr);

// %1 the format's name.
inline constexpr QStringView GrundNichtKodiert = u"die Ansicht ließ sich nicht als %1 kodieren";
inline constexpr QStringView GrundQualitaet = u"die Qualität muss zwischen 1 und 100 liegen";

} // namespace schnitt
