#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace schnitt {

// The ICC colour profile a picture file carries, as its bytes, so that the
// views can carry it on unchanged: a PNG's iCCP chunk (inflated), a JPEG's
// APP2 segments in their order, a TIFF's tag 34675 of its first picture, a
// WebP's ICCP chunk. Empty when the file has none, when the profile is
// incomplete (a JPEG segment missing) or when it would pass 16 MB, which no
// real profile does. Reads only the container, never pixel data.
QByteArray farbprofilLesen(QByteArrayView datei);

} // namespace schnitt
