#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace schnitt {

// What the frame header of a JPEG tells before any pixel is decoded.
struct JpegKopf
{
    QSize groesse;
    // Bytes libjpeg holds for the whole picture while decoding: a progressive
    // file keeps every coefficient until its last scan; a sequential one none.
    qint64 koeffizientenBytes = 0;
};

// Whether the segments run to the end-of-image marker. libjpeg pads a
// truncated scan with grey and reports only a warning, so a decoder would
// hand back a half-grey picture as a success.
bool jpegVollstaendig(QByteArrayView daten);

// False, with the German reason in `fehler`, when libjpeg rejects the header.
bool jpegKopfLesen(QByteArrayView daten, JpegKopf* kopf, QString* fehler);

// Decodes only `teil` (within the picture) of a JPEG straight through
// libjpeg: the rows above are skipped and only the columns the upsampling of
// `teil` needs are decoded, so that every pixel equals that of Qt's full
// decode. Format_RGB32; a null picture and the reason in `fehler` on failure.
// With `achtel` below 8 the picture is scaled to achtel/8 while decoding (as
// jpegSkaliertDekodieren) and `teil` is in pixels of the scaled picture.
QImage jpegBereichDekodieren(QByteArrayView daten, const QRect& teil, QString* fehler,
                             int achtel = 8);

// The whole JPEG at `achtel`/8 of its size (1 … 8, sizes rounded up), scaled
// by libjpeg while decoding, so that only the small picture is ever held.
QImage jpegSkaliertDekodieren(QByteArrayView daten, int achtel, QString* fehler);

} // namespace schnitt
