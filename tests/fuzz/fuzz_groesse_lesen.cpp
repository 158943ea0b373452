// Any bytes as a picture whose size the check of the rectangles reads from
// its header (the batch and --pruefen).
//
// Property: a size comes with no reason and is not empty; a reason comes
// with no size.

#include "Fuzzhilfen.h"

#include "views/Bildladen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    const schnitt::Bildgroesse g = schnitt::groesseLesen(fuzz::alsDatei(daten, groesse));
    PRUEFEN(g.ok() == g.groesse.isValid());
    PRUEFEN(!g.ok() || !g.groesse.isEmpty());
    return 0;
}
