#include "Bildladen.h"

#include "Meldungen.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace schnitt {

namespace {

void speichergrenzeSetzen()
{
    // The limit is process-wide; a function-local static sets it once even
    // when the first pictures are decoded on several threads at the same time.
    static const bool gesetzt = [] {
        QImageReader::setAllocationLimit(SpeichergrenzeMB);
        return true;
    }();
    Q_UNUSED(gesetzt);
}

uint byteAn(QByteArrayView d, qsizetype i)
{
    return static_cast<uchar>(d[i]);
}

quint32 le32(QByteArrayView d, qsizetype i)
{
    return byteAn(d, i) | byteAn(d, i + 1) << 8 | byteAn(d, i + 2) << 16 |
           quint32(byteAn(d, i + 3)) << 24;
}

uint le16(QByteArrayView d, qsizetype i)
{
    return byteAn(d, i) | byteAn(d, i + 1) << 8;
}

// libjpeg pads a truncated scan with grey and reports only a warning, so Qt
// hands back a half-grey picture as a success. Walking the segments to the
// end-of-image marker finds the cut. Data after that marker (thumbnails of
// some cameras, appended videos) is never looked at.
bool jpegVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    if (n < 4 || byteAn(d, 0) != 0xFF || byteAn(d, 1) != 0xD8)
        return false;
    auto istRst = [](uint m) { return m >= 0xD0 && m <= 0xD7; };
    qsizetype i = 2;
    while (i + 1 < n) {
        if (byteAn(d, i) != 0xFF || byteAn(d, i + 1) == 0xFF) {
            // Stray or fill bytes between segments; the decoder skips them too.
            ++i;
            continue;
        }
        const uint marke = byteAn(d, i + 1);
        i += 2;
        if (marke == 0xD9)
            return true;
        if (marke == 0x00 || marke == 0x01 || istRst(marke))
            continue;
        if (i + 2 > n)
            return false;
        const qsizetype laenge = byteAn(d, i) << 8 | byteAn(d, i + 1);
        if (laenge < 2 || i + laenge > n)
            return false;
        i += laenge;
        if (marke == 0xDA) {
            // Entropy-coded data ends at the first marker that is neither a
            // stuffed zero nor a restart marker.
            while (i + 1 < n &&
                   !(byteAn(d, i) == 0xFF && byteAn(d, i + 1) != 0x00 && !istRst(byteAn(d, i + 1))))
                ++i;
        }
    }
    return false;
}

// Qt's reader stops at the end of a short file and returns rows it never
// filled. Only uncompressed layouts have a size to check against.
bool bmpVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    if (n < 30)
        return false;
    const qint64 datenAnfang = le32(d, 10);
    const quint32 kopfGroesse = le32(d, 14);
    qint64 breite = 0;
    qint64 hoehe = 0;
    uint bits = 0;
    quint32 kompression = 0;
    if (kopfGroesse == 12) {
        breite = le16(d, 18);
        hoehe = le16(d, 20);
        bits = le16(d, 24);
    } else {
        if (n < 34)
            return false;
        breite = static_cast<qint32>(le32(d, 18));
        hoehe = static_cast<qint32>(le32(d, 22));
        bits = le16(d, 28);
        kompression = le32(d, 30);
    }
    constexpr quint32 BI_RGB = 0, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;
    if (kompression != BI_RGB && kompression != BI_BITFIELDS && kompression != BI_ALPHABITFIELDS)
        return true;
    if (breite <= 0 || hoehe == 0 || bits == 0)
        return true; // Qt refuses these itself
    const qint64 zeile = (breite * bits + 31) / 32 * 4;
    return n >= datenAnfang + zeile * qAbs(hoehe);
}

// Only the first picture of a GIF is shown; its data must be there up to
// the block that closes it.
bool gifVollstaendig(QByteArrayView d)
{
    const qsizetype n = d.size();
    if (n < 13)
        return false;
    qsizetype i = 13;
    auto farbtabelle = [&](uint flags) {
        if (flags & 0x80)
            i += 3 * (qsizetype(1) << ((flags & 7) + 1));
    };
    auto unterbloecke = [&]() {
        while (i < n) {
            const uint laenge = byteAn(d, i++);
            if (laenge == 0)
                return true;
            i += laenge;
        }
        return false;
    };
    farbtabelle(byteAn(d, 10));
    while (i < n) {
        switch (byteAn(d, i++)) {
        case 0x21: // extension: label, then sub-blocks
            ++i;
            if (!unterbloecke())
                return false;
            break;
        case 0x2C: // image descriptor, local colour table, LZW code size
            if (i + 9 > n)
                return false;
            i += 9;
            farbtabelle(byteAn(d, i - 1));
            ++i;
            return unterbloecke();
        default: // trailer or unknown block: let the decoder judge
            return true;
        }
    }
    return false;
}

GeladenesBild fehlschlag(QStringView grund)
{
    return {QImage(), grund.toString()};
}

// GIF transparency and BMP alpha are laid over white, the colour of the
// empty surface the views are cut from.
QImage ohneAlpha(const QImage& bild)
{
    if (!bild.hasAlphaChannel())
        return bild.convertToFormat(QImage::Format_RGB32);
    QImage argb = bild.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull())
        return {};
    for (int y = 0; y < argb.height(); ++y) {
        auto* zeile = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = zeile[x];
            const int a = qAlpha(p);
            auto mischen = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            zeile[x] = qRgb(mischen(qRed(p)), mischen(qGreen(p)), mischen(qBlue(p)));
        }
    }
    return argb.convertToFormat(QImage::Format_RGB32);
}

} // namespace

GeladenesBild bildLaden(const QString& pfad)
{
    speichergrenzeSetzen();

    const QFileInfo info(pfad);
    if (!info.exists())
        return fehlschlag(meldung::GrundFehlt);
    // A folder or a named pipe with a picture's name would fail or block.
    if (!info.isFile())
        return fehlschlag(meldung::GrundKeineDatei);

    // The whole file is read first so that the completeness checks and the
    // decoder see the same bytes.
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return fehlschlag(datei.errorString());
    const QByteArray inhalt = datei.readAll();
    if (datei.error() != QFileDevice::NoError)
        return fehlschlag(datei.errorString());
    datei.close();
    if (inhalt.isEmpty())
        return fehlschlag(meldung::GrundLeer);

    QBuffer puffer;
    puffer.setData(inhalt);
    puffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&puffer);
    bool vollstaendig = true;
    if (format == "jpeg")
        vollstaendig = jpegVollstaendig(inhalt);
    else if (format == "bmp")
        vollstaendig = bmpVollstaendig(inhalt);
    else if (format == "gif")
        vollstaendig = gifVollstaendig(inhalt);
    else
        return fehlschlag(meldung::GrundFormat);
    if (!vollstaendig)
        return fehlschlag(meldung::GrundUnvollstaendig);

    // A clip region (setClipRect) can be set on this reader once only parts
    // of large pictures are to be decoded.
    QImageReader leser(&puffer, format);
    leser.setAutoTransform(false);
    const QSize groesse = leser.size();
    if (groesse.isValid() &&
        qint64(groesse.width()) * groesse.height() * 4 > qint64(SpeichergrenzeMB) * 1024 * 1024)
        return fehlschlag(meldung::GrundZuGross.arg(QString::number(groesse.width()),
                                                    QString::number(groesse.height()),
                                                    QString::number(SpeichergrenzeMB)));

    const QImage roh = leser.read();
    if (roh.isNull()) {
        switch (leser.error()) {
        case QImageReader::UnsupportedFormatError:
            return fehlschlag(meldung::GrundFormat);
        case QImageReader::InvalidDataError:
            return fehlschlag(meldung::GrundBeschaedigt);
        default:
            return fehlschlag(meldung::GrundUnbekannt);
        }
    }
    QImage bild = ohneAlpha(roh);
    if (bild.isNull())
        return fehlschlag(meldung::GrundBeschaedigt);
    return {bild, {}};
}

} // namespace schnitt
