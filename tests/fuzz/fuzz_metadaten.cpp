// Any bytes as a picture file whose EXIF and XMP go into views: read, made
// true for a view chosen by the first bytes, and written into a small view
// of every format that holds metadata.
//
// Property: unreadable metadata gives none; what is written into a view can
// be read back from it, and the view's pixels stay a picture of their size.

#include "Fuzzhilfen.h"

#include "views/Metadaten.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

struct Ansicht
{
    frames::Ausgabeformat format;
    QByteArray datei;
};

// A small view in each format, written once by Qt's own writers.
const QList<Ansicht>& ansichten()
{
    static const QList<Ansicht> alle = [] {
        QImage bild(12, 8, QImage::Format_RGB32);
        bild.fill(Qt::darkCyan);
        QList<Ansicht> a;
        for (const auto& [format, name] : {std::pair{frames::Ausgabeformat::jpg, "JPEG"},
                                           {frames::Ausgabeformat::png, "PNG"},
                                           {frames::Ausgabeformat::webp, "WEBP"},
                                           {frames::Ausgabeformat::tif, "TIFF"}}) {
            QByteArray d;
            QBuffer puffer(&d);
            puffer.open(QIODevice::WriteOnly);
            PRUEFEN(bild.save(&puffer, name));
            a.append({format, d});
        }
        return a;
    }();
    return alle;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    static int argc = 1;
    static char name[] = "fuzz_metadaten";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // for the image plugins; no display

    FuzzedDataProvider eingabe(daten, groesse);
    schnitt::Ansichtsangaben angaben;
    angaben.groesse =
        QSize(eingabe.ConsumeIntegralInRange(1, 70000), eingabe.ConsumeIntegralInRange(1, 70000));
    angaben.aufgerichtet = eingabe.ConsumeBool();
    angaben.gier = eingabe.ConsumeFloatingPointInRange(-720.0, 720.0);
    if (eingabe.ConsumeBool())
        angaben.blickwinkel = eingabe.ConsumeFloatingPointInRange(1.0, 179.0);
    const std::vector<uint8_t> rest = eingabe.ConsumeRemainingBytes<uint8_t>();

    bool unlesbar = false;
    const schnitt::Quellmetadaten quelle =
        schnitt::metadatenLesen(QByteArrayView(rest.data(), qsizetype(rest.size())), &unlesbar);
    if (unlesbar)
        PRUEFEN(quelle.leer());
    const schnitt::Ansichtsmetadaten m = schnitt::metadatenFuer(quelle, angaben);
    if (angaben.blickwinkel)
        PRUEFEN(!m.exif.isEmpty());
    for (const Ansicht& a : ansichten()) {
        const QByteArray mit = schnitt::mitMetadaten(a.datei, a.format, m);
        if (mit.isNull())
            continue; // the view is then written without them
        // exiv2 finds a WebP's EXIF by the first "II*" in its chunk, also one
        // inside a big-endian block's text: that file is sound, only not for it.
        if (a.format == frames::Ausgabeformat::webp && m.exif.indexOf("II*", 1) > 0)
            continue;
        bool wiederUnlesbar = false;
        const schnitt::Quellmetadaten zurueck = schnitt::metadatenLesen(mit, &wiederUnlesbar);
        PRUEFEN(!wiederUnlesbar);
        // A TIFF's own directory reads as EXIF, whatever was written into it.
        if (a.format != frames::Ausgabeformat::tif)
            PRUEFEN(zurueck.leer() == m.leer());
        QBuffer puffer;
        puffer.setData(mit);
        PRUEFEN(QImageReader(&puffer).size() == QSize(12, 8));
    }
    return 0;
}
