// Any bytes as a video, read from memory: opened, indexed, read frame by
// frame, and sought, the way every file of the batch and the preview is.
//
// Property: frames come in order as RGB32, and reading that stops early
// names the frame it stopped at; a sought frame is the one asked for.

#include "Fuzzhilfen.h"

#include "views/Video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    using namespace schnitt::video;
    Video video =
        Video::ausSpeicher(QByteArray(reinterpret_cast<const char*>(daten), qsizetype(groesse)));
    // An unopened video has no frames. A few frames reach every decoder's
    // paths; more would only cost time.
    const qint64 anzahl = video.bildanzahl();
    for (qint64 n = 0; n < std::min<qint64>(anzahl, 12); ++n) {
        const std::optional<Videobild> b = video.naechstesBild();
        PRUEFEN(b ? b->nummer == n && b->bild.format() == QImage::Format_RGB32
                  : video.fehler() && video.fehler()->abBild == n);
        if (!b)
            break;
    }
    for (qint64 ziel : {anzahl / 2, qint64(0), anzahl - 1}) {
        const std::optional<Videobild> b = video.bild(ziel);
        PRUEFEN(b ? b->nummer == ziel && !b->bild.isNull()
                  : !video.fehler() || video.fehler()->abBild == ziel);
    }
    return 0;
}
