#include "JpegVerlustfrei.h"

#include "Bildladen.h"
#include "JpegBereich.h"
#include "Meldungen.h"

#include <turbojpeg.h>

#include <vector>

namespace schnitt {

namespace {

// The transform holds every coefficient of the source while it cuts, two
// bytes each, at most as many per pixel as there are components.
qint64 koeffizientenBytes(const JpegRaster& r, int komponenten)
{
    const qint64 breite = (r.groesse.width() + r.mcu.width() - 1) / r.mcu.width() * r.mcu.width();
    const qint64 hoehe =
        (r.groesse.height() + r.mcu.height() - 1) / r.mcu.height() * r.mcu.height();
    return breite * hoehe * 2 * komponenten;
}

struct Kopf
{
    JpegRaster raster;
    int komponenten = 0;
};

Kopf kopfLesen(tjhandle h, QByteArrayView jpeg)
{
    Kopf kopf;
    int breite = 0, hoehe = 0, unterabtastung = -1, farbraum = -1;
    if (tjDecompressHeader3(h, reinterpret_cast<const unsigned char*>(jpeg.data()),
                            static_cast<unsigned long>(jpeg.size()), &breite, &hoehe,
                            &unterabtastung, &farbraum) != 0 ||
        unterabtastung < 0 || unterabtastung >= TJ_NUMSAMP)
        return kopf;
    kopf.raster.groesse = QSize(breite, hoehe);
    kopf.raster.mcu = QSize(tjMCUWidth[unterabtastung], tjMCUHeight[unterabtastung]);
    kopf.komponenten = farbraum == TJCS_GRAY                            ? 1
                       : farbraum == TJCS_CMYK || farbraum == TJCS_YCCK ? 4
                                                                        : 3;
    return kopf;
}

} // namespace

JpegRaster jpegRasterLesen(QByteArrayView jpeg)
{
    tjhandle h = tjInitTransform();
    if (!h)
        return {};
    const Kopf kopf = kopfLesen(h, jpeg);
    tjDestroy(h);
    return kopf.raster;
}

bool verlustfreiSchneidbar(const JpegRaster& raster, const QRect& bereich)
{
    return raster.gueltig() && !bereich.isEmpty() &&
           QRect(QPoint(0, 0), raster.groesse).contains(bereich) &&
           bereich.left() % raster.mcu.width() == 0 && bereich.top() % raster.mcu.height() == 0;
}

QList<QByteArray> verlustfreiSchneiden(QByteArrayView jpeg, const QList<QRect>& bereiche,
                                       QString* fehler)
{
    if (!jpegVollstaendig(jpeg)) {
        *fehler = meldung::GrundUnvollstaendig.toString();
        return {};
    }
    tjhandle h = tjInitTransform();
    if (!h) {
        *fehler = meldung::GrundUnbekannt.toString();
        return {};
    }
    const Kopf kopf = kopfLesen(h, jpeg);
    if (!kopf.raster.gueltig()) {
        tjDestroy(h);
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }
    if (koeffizientenBytes(kopf.raster, kopf.komponenten) >
        qint64(SpeichergrenzeMB) * 1024 * 1024) {
        tjDestroy(h);
        *fehler = meldung::GrundZuGross.arg(QString::number(kopf.raster.groesse.width()),
                                            QString::number(kopf.raster.groesse.height()),
                                            QString::number(SpeichergrenzeMB));
        return {};
    }
    std::vector<tjtransform> schnitte(size_t(bereiche.size()));
    for (qsizetype i = 0; i < bereiche.size(); ++i) {
        const QRect& b = bereiche[i];
        if (!verlustfreiSchneidbar(kopf.raster, b)) {
            tjDestroy(h);
            *fehler = GrundNichtAufRaster.arg(QStringLiteral("%1×%2+%3+%4")
                                                  .arg(b.width())
                                                  .arg(b.height())
                                                  .arg(b.left())
                                                  .arg(b.top()));
            return {};
        }
        schnitte[size_t(i)].r = tjregion{b.left(), b.top(), b.width(), b.height()};
        schnitte[size_t(i)].op = TJXOP_NONE;
        schnitte[size_t(i)].options = TJXOPT_CROP | TJXOPT_PERFECT;
    }
    std::vector<unsigned char*> puffer(schnitte.size(), nullptr);
    std::vector<unsigned long> laengen(schnitte.size(), 0);
    // A warning means damaged data that libjpeg would fill in; a file with
    // thousands of progressive scans is refused rather than read for minutes.
    const int ok = schnitte.empty()
                       ? 0
                       : tjTransform(h, reinterpret_cast<const unsigned char*>(jpeg.data()),
                                     static_cast<unsigned long>(jpeg.size()), int(schnitte.size()),
                                     puffer.data(), laengen.data(), schnitte.data(),
                                     TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS);
    QList<QByteArray> ergebnis;
    for (size_t i = 0; i < puffer.size(); ++i) {
        if (ok == 0)
            ergebnis.append(
                QByteArray(reinterpret_cast<const char*>(puffer[i]), qsizetype(laengen[i])));
        tjFree(puffer[i]);
    }
    tjDestroy(h);
    if (ok != 0) {
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }
    return ergebnis;
}

} // namespace schnitt
