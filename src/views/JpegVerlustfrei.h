#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

namespace schnitt {

// What a JPEG's lossless crop depends on: its size and the size of its iMCU,
// the block of pixels the compressed data comes in (8 × 8 for grey and 4:4:4,
// 16 × 16 for 4:2:0, 16 × 8 for 4:2:2).
struct JpegRaster
{
    QSize groesse;
    QSize mcu;

    bool gueltig() const { return !groesse.isEmpty() && !mcu.isEmpty(); }
};

// From the header alone. Invalid for a file that is no JPEG or whose header
// libjpeg refuses: none of its views can then be cut without re-encoding.
JpegRaster jpegRasterLesen(QByteArrayView jpeg);

// Whether `bereich` can be cut without decoding: not empty, inside the
// picture, its top-left corner on the iMCU grid. Width and height are free;
// a partial iMCU at the right and bottom edge is kept as it is.
bool verlustfreiSchneidbar(const JpegRaster& raster, const QRect& bereich);

// Cuts every one of `bereiche` (each verlustfreiSchneidbar) out of the JPEG
// in one pass, in the DCT domain: no decode, no encode, the pixels exactly
// those of the same region of the source. Each result is a JPEG of the
// region's size that carries the source's markers (ICC profile, EXIF, XMP)
// as they are. A sequential file is read only down to
// the lowest region, as bereichLaden decodes it. On failure an empty list and
// the German reason in `fehler`: a truncated file, damaged data above the
// lowest region, a region off the grid, or coefficients held at once (the
// regions' and the source rows being read, all of them for a progressive
// file) beyond the memory limit of the decoders.
QList<QByteArray> verlustfreiSchneiden(QByteArrayView jpeg, const QList<QRect>& bereiche,
                                       QString* fehler);

// %1 the region as "B×H+X+Y".
inline constexpr QStringView GrundNichtAufRaster =
    u"der Bereich %1 liegt nicht auf dem Raster der JPEG-Blöcke";

} // namespace schnitt
