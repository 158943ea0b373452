// Any bytes as a picture decoded whole, in every format the content may be:
// BMP, JPEG, GIF, PNG, TIFF, WebP, and for the preview.
//
// Property: a decoded picture is RGB32 of its full size, and a failure
// holds no picture; the preview of the same file agrees on the outcome.

#include "Fuzzhilfen.h"

#include "views/Bildladen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    const QString pfad = fuzz::alsDatei(daten, groesse);
    const schnitt::GeladenesBild b = schnitt::bildLaden(pfad);
    PRUEFEN(b.ok() != b.bild.isNull());
    if (b.ok()) {
        PRUEFEN(b.bild.format() == QImage::Format_RGB32);
        PRUEFEN(b.bild.size() == b.vollGroesse && b.ursprung.isNull());
    }
    PRUEFEN(b.icc.size() <= 16 * 1024 * 1024);
    const schnitt::Vorschaubild v = schnitt::vorschauLaden(pfad, QSize(626, 469));
    PRUEFEN(v.ok() != v.bild.isNull());
    return 0;
}
