// Any bytes as a JPEG whose views are cut without re-encoding; the last
// bytes (behind the end-of-image marker in the seeds) choose up to four
// regions, moved onto the picture's block grid.
//
// Property: only regions on the grid are cut, one result each, every one a
// JPEG of the region's size; a failure gives a reason and no result.

#include "Fuzzhilfen.h"

#include "views/JpegVerlustfrei.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    FuzzedDataProvider eingabe(daten, groesse);
    const int anzahl = eingabe.ConsumeIntegralInRange(1, 4);
    QList<QRect> bereiche;
    for (int i = 0; i < anzahl; ++i)
        bereiche.append(
            QRect(eingabe.ConsumeIntegralInRange(0, 64), eingabe.ConsumeIntegralInRange(0, 64),
                  eingabe.ConsumeIntegralInRange(1, 300), eingabe.ConsumeIntegralInRange(1, 300)));
    const std::vector<uint8_t> rest = eingabe.ConsumeRemainingBytes<uint8_t>();
    const QByteArrayView jpeg(rest.data(), qsizetype(rest.size()));

    const schnitt::JpegRaster raster = schnitt::jpegRasterLesen(jpeg);
    bool alleAufRaster = raster.gueltig();
    for (QRect& b : bereiche) {
        // Onto the grid, so that the transform runs wherever they fit.
        if (raster.gueltig())
            b.moveTo(b.left() / 8 * raster.mcu.width(), b.top() / 8 * raster.mcu.height());
        alleAufRaster = alleAufRaster && schnitt::verlustfreiSchneidbar(raster, b);
    }
    QString fehler;
    const QList<QByteArray> schnitte = schnitt::verlustfreiSchneiden(jpeg, bereiche, &fehler);
    PRUEFEN(schnitte.isEmpty() != fehler.isEmpty());
    if (!alleAufRaster)
        PRUEFEN(schnitte.isEmpty());
    if (schnitte.isEmpty())
        return 0;
    PRUEFEN(schnitte.size() == bereiche.size());
    for (qsizetype i = 0; i < schnitte.size(); ++i)
        PRUEFEN(schnitt::jpegRasterLesen(schnitte[i]).groesse == bereiche[i].size());
    return 0;
}
