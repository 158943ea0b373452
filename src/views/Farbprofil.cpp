#include "Farbprofil.h"

#include <QList>

#include <zlib.h>

namespace schnitt {

namespace {

// More than any real profile; a compressed one could otherwise inflate to
// gigabytes.
constexpr qsizetype GroessterProfil = 16 * 1024 * 1024;

uint byteAn(QByteArrayView d, qsizetype i)
{
    return static_cast<uchar>(d[i]);
}

quint32 be32(QByteArrayView d, qsizetype i)
{
    return quint32(byteAn(d, i)) << 24 | byteAn(d, i + 1) << 16 | byteAn(d, i + 2) << 8 |
           byteAn(d, i + 3);
}

QByteArray entpacken(QByteArrayView gepackt)
{
    z_stream strom{};
    if (inflateInit(&strom) != Z_OK)
        return {};
    QByteArray ergebnis;
    strom.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gepackt.data()));
    strom.avail_in = uInt(gepackt.size());
    // Room for one byte more than the largest profile tells a larger one. Up
    // to there the output always has room, so Z_BUF_ERROR means that the input
    // ended before the stream did, or that the profile is too large.
    int status = Z_OK;
    while (status == Z_OK) {
        const qsizetype bisher = ergebnis.size();
        ergebnis.resize(qMin(bisher + qMax<qsizetype>(4096, bisher), GroessterProfil + 1));
        strom.next_out = reinterpret_cast<Bytef*>(ergebnis.data() + bisher);
        strom.avail_out = uInt(ergebnis.size() - bisher);
        status = inflate(&strom, Z_NO_FLUSH);
        ergebnis.resize(ergebnis.size() - strom.avail_out);
    }
    inflateEnd(&strom);
    return status == Z_STREAM_END && ergebnis.size() <= GroessterProfil ? ergebnis : QByteArray();
}

QByteArray ausPng(QByteArrayView d)
{
    for (qsizetype i = 8; i + 8 <= d.size();) {
        const quint32 laenge = be32(d, i);
        const QByteArrayView typ = d.sliced(i + 4, 4);
        if (laenge > quint32(d.size() - i - 8))
            return {};
        // The profile must stand before the pixel data.
        if (typ == "IDAT" || typ == "IEND")
            return {};
        if (typ == "iCCP") {
            const QByteArrayView daten = d.sliced(i + 8, laenge);
            const qsizetype null = daten.indexOf('\0');
            // A name, and 0 (deflate) as the method after it.
            if (null < 1 || !daten.sliced(null + 1).startsWith('\0'))
                return {};
            return entpacken(daten.sliced(null + 2));
        }
        i += 12 + qsizetype(laenge);
    }
    return {};
}

QByteArray ausJpeg(QByteArrayView d)
{
    // A large profile is split over several APP2 segments, each numbered
    // and telling how many there are.
    QList<QByteArrayView> teile;
    qsizetype i = 2;
    while (i + 4 <= d.size()) {
        if (byteAn(d, i) != 0xFF) {
            ++i;
            continue;
        }
        const uint marke = byteAn(d, i + 1);
        if (marke == 0xFF) {
            ++i;
            continue;
        }
        if (marke == 0xDA || marke == 0xD9)
            break;
        if (marke == 0x01 || (marke >= 0xD0 && marke <= 0xD8)) {
            i += 2;
            continue;
        }
        const qsizetype laenge = byteAn(d, i + 2) << 8 | byteAn(d, i + 3);
        if (laenge < 2 || i + 2 + laenge > d.size())
            break;
        const QByteArrayView daten = d.sliced(i + 4, laenge - 2);
        if (marke == 0xE2 && daten.size() > 14 &&
            daten.startsWith(QByteArrayView("ICC_PROFILE\0", 12))) {
            const uint nummer = byteAn(daten, 12);
            const uint anzahl = byteAn(daten, 13);
            if (anzahl == 0 || nummer == 0 || nummer > anzahl)
                return {};
            if (teile.isEmpty())
                teile.resize(anzahl);
            if (qsizetype(anzahl) != teile.size() || !teile[nummer - 1].isNull())
                return {};
            teile[nummer - 1] = daten.sliced(14);
        }
        i += 2 + laenge;
    }
    QByteArray profil;
    for (const QByteArrayView teil : teile) {
        if (teil.isNull())
            return {};
        profil += teil;
    }
    return profil;
}

QByteArray ausTiff(QByteArrayView d)
{
    const bool klein = d.startsWith("II");
    auto zahl16 = [&](qsizetype i) {
        return klein ? byteAn(d, i) | byteAn(d, i + 1) << 8 : byteAn(d, i) << 8 | byteAn(d, i + 1);
    };
    auto zahl32 = [&](qsizetype i) {
        return klein ? byteAn(d, i) | byteAn(d, i + 1) << 8 | byteAn(d, i + 2) << 16 |
                           quint32(byteAn(d, i + 3)) << 24
                     : be32(d, i);
    };
    const qint64 verzeichnis = zahl32(4);
    if (verzeichnis + 2 > d.size())
        return {};
    const uint eintraege = zahl16(verzeichnis);
    for (uint e = 0; e < eintraege; ++e) {
        const qint64 eintrag = verzeichnis + 2 + 12 * qint64(e);
        if (eintrag + 12 > d.size())
            return {};
        if (zahl16(eintrag) != 34675)
            continue;
        const uint typ = zahl16(eintrag + 2);
        const qint64 anzahl = zahl32(eintrag + 4);
        // BYTE or UNDEFINED: the count is the length in bytes.
        if ((typ != 1 && typ != 7) || anzahl > GroessterProfil)
            return {};
        const qint64 anfang = anzahl <= 4 ? eintrag + 8 : qint64(zahl32(eintrag + 8));
        if (anfang + anzahl > d.size())
            return {};
        return d.sliced(anfang, anzahl).toByteArray();
    }
    return {};
}

QByteArray ausWebp(QByteArrayView d)
{
    for (qsizetype i = 12; i + 8 <= d.size();) {
        const quint32 laenge = byteAn(d, i + 4) | byteAn(d, i + 5) << 8 | byteAn(d, i + 6) << 16 |
                               quint32(byteAn(d, i + 7)) << 24;
        if (laenge > quint32(d.size() - i - 8))
            return {};
        if (d.sliced(i, 4) == "ICCP")
            return laenge > GroessterProfil ? QByteArray() : d.sliced(i + 8, laenge).toByteArray();
        i += 8 + qsizetype(laenge) + (laenge & 1);
    }
    return {};
}

} // namespace

QByteArray farbprofilLesen(QByteArrayView datei)
{
    const QByteArrayView d = datei;
    if (d.startsWith("\x89PNG\r\n\x1a\n"))
        return ausPng(d);
    if (d.startsWith("\xFF\xD8"))
        return ausJpeg(d);
    if (d.size() >= 8 &&
        (d.startsWith(QByteArrayView("II*\0", 4)) || d.startsWith(QByteArrayView("MM\0*", 4))))
        return ausTiff(d);
    if (d.size() >= 12 && d.startsWith("RIFF") && d.sliced(8, 4) == "WEBP")
        return ausWebp(d);
    return {};
}

} // namespace schnitt
