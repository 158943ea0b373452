#pragma once

#include <QImage>
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

    bool ok() const { return fehler.isEmpty(); }
};

// Decodes a BMP, JPEG or GIF file, recognised by its content, not its name.
// Orientation tags are ignored, since the rectangles are measured on the
// stored pixels. Transparent pixels come out white. Truncated BMP, JPEG and
// GIF data is refused rather than shown half grey or half garbage. Touches no
// shared state, so it may run on any thread.
GeladenesBild bildLaden(const QString& pfad);

} // namespace schnitt
