// Any bytes as a JPEG of which the batch decodes only the part its views
// need; the last bytes choose the part (the seeds carry them behind the
// end-of-image marker, where no reader looks).
//
// Property: the part lies within the picture and holds the asked-for region
// clipped to it (a region that misses the picture gets the whole picture); a
// failure holds no picture.

#include "Fuzzhilfen.h"

#include "views/Bildladen.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    FuzzedDataProvider eingabe(daten, groesse);
    const QRect bereich(
        eingabe.ConsumeIntegralInRange(-64, 4096), eingabe.ConsumeIntegralInRange(-64, 4096),
        eingabe.ConsumeIntegralInRange(1, 512), eingabe.ConsumeIntegralInRange(1, 512));
    const std::vector<uint8_t> rest = eingabe.ConsumeRemainingBytes<uint8_t>();
    const schnitt::GeladenesBild b =
        schnitt::bereichLaden(fuzz::alsDatei(rest.data(), rest.size()), bereich);
    PRUEFEN(b.ok() != b.bild.isNull());
    if (b.ok()) {
        const QRect ganz(QPoint(0, 0), b.vollGroesse);
        const QRect teil(b.ursprung, b.bild.size());
        PRUEFEN(ganz.contains(teil));
        const QRect gefragt = bereich.intersected(ganz);
        PRUEFEN(gefragt.isEmpty() || teil.contains(gefragt));
    }
    return 0;
}
