#include "Testbilder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <vector>

namespace testbilder {

QImage fotoaehnlich(int breite, int hoehe, quint32 saat)
{
    QImage bild(breite, hoehe, QImage::Format_RGB32);
    QRandomGenerator zufall(saat);
    const double phase = saat * 0.7;
    for (int y = 0; y < hoehe; ++y) {
        auto* zeile = reinterpret_cast<QRgb*>(bild.scanLine(y));
        for (int x = 0; x < breite; ++x) {
            const double himmel = 1.0 - double(y) / std::max(1, hoehe - 1);
            const double welle = std::sin(x * 0.045 + phase) * std::cos(y * 0.031 - phase);
            const double textur = std::sin(x * 0.9 + y * 0.37) * std::sin(y * 1.3 - x * 0.21);
            auto kanal = [&](double basis, double w, double t) {
                const double rauschen = int(zufall.bounded(25)) - 12;
                return std::clamp(int(basis + w * welle + t * textur + rauschen), 0, 255);
            };
            zeile[x] = qRgb(kanal(60 + 120 * himmel, 50, 18), kanal(90 + 80 * (1 - himmel), 40, 25),
                            kanal(40 + 180 * himmel, 35, 12));
        }
    }
    return bild;
}

QImage mitPalette(const QImage& bild, bool mitLoch)
{
    QList<QRgb> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                palette.append(qRgb(r * 51, g * 255 / 6, b * 51));
    while (palette.size() < 256)
        palette.append(qRgb(255, 0, 255));
    QImage indiziert =
        bild.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::ColorOnly);
    // No converted pixel may land on the transparent entry by chance.
    for (int y = 0; y < indiziert.height(); ++y) {
        uchar* zeile = indiziert.scanLine(y);
        for (int x = 0; x < indiziert.width(); ++x) {
            if (zeile[x] >= 252)
                zeile[x] = 0;
            const int dx = x - indiziert.width() / 2;
            const int dy = y - indiziert.height() / 2;
            const int r = std::min(indiziert.width(), indiziert.height()) / 4;
            if (mitLoch && dx * dx + dy * dy < r * r)
                zeile[x] = TransparenterIndex;
        }
    }
    return indiziert;
}

namespace {

void le16(QByteArray& d, quint16 v)
{
    d.append(char(v & 0xFF));
    d.append(char(v >> 8));
}

void le32(QByteArray& d, quint32 v)
{
    le16(d, quint16(v & 0xFFFF));
    le16(d, quint16(v >> 16));
}

// GIF's variable-width LZW, codes packed from the least significant bit.
// Code widths and the table reset follow the common encoders, so every
// decoder reads the result.
QByteArray lzw(const QImage& bild)
{
    constexpr int Loeschen = 256, Ende = 257, Erster = 258, Grenze = 4095;
    std::vector<qint16> tabelle(size_t(4096) * 256, -1);
    int naechster = Erster;
    int breite = 9;
    QByteArray bytes;
    quint32 puffer = 0;
    int bits = 0;
    auto ausgeben = [&](int code) {
        puffer |= quint32(code) << bits;
        bits += breite;
        while (bits >= 8) {
            bytes.append(char(puffer & 0xFF));
            puffer >>= 8;
            bits -= 8;
        }
        if (naechster >= (1 << breite) && breite < 12)
            ++breite;
    };

    ausgeben(Loeschen);
    int praefix = -1;
    for (int y = 0; y < bild.height(); ++y) {
        const uchar* zeile = bild.constScanLine(y);
        for (int x = 0; x < bild.width(); ++x) {
            const int c = zeile[x];
            if (praefix < 0) {
                praefix = c;
                continue;
            }
            qint16& eintrag = tabelle[size_t(praefix) * 256 + c];
            if (eintrag >= 0) {
                praefix = eintrag;
                continue;
            }
            ausgeben(praefix);
            if (naechster >= Grenze) {
                ausgeben(Loeschen);
                std::fill(tabelle.begin(), tabelle.end(), qint16(-1));
                naechster = Erster;
                breite = 9;
            } else {
                eintrag = qint16(naechster++);
            }
            praefix = c;
        }
    }
    if (praefix >= 0)
        ausgeben(praefix);
    ausgeben(Ende);
    if (bits > 0)
        bytes.append(char(puffer & 0xFF));

    QByteArray bloecke;
    for (qsizetype i = 0; i < bytes.size(); i += 255) {
        const QByteArray teil = bytes.mid(i, 255);
        bloecke.append(char(teil.size()));
        bloecke.append(teil);
    }
    bloecke.append('\0');
    return bloecke;
}

void le16(QByteArray& d, int v)
{
    d.append(char(v & 0xFF));
    d.append(char((v >> 8) & 0xFF));
}

} // namespace

QByteArray gifKodieren(const QImage& indiziert, int transparent)
{
    QByteArray d("GIF89a");
    le16(d, quint16(indiziert.width()));
    le16(d, quint16(indiziert.height()));
    d.append(char(0xF7)); // global table of 256 entries, 8 bits per primary
    d.append('\0');
    d.append('\0');
    const QList<QRgb> palette = indiziert.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        d.append(char(qRed(c)));
        d.append(char(qGreen(c)));
        d.append(char(qBlue(c)));
    }
    if (transparent >= 0) {
        d.append("\x21\xF9\x04\x01", 4);
        le16(d, 0);
        d.append(char(transparent));
        d.append('\0');
    }
    d.append(',');
    le16(d, 0);
    le16(d, 0);
    le16(d, quint16(indiziert.width()));
    le16(d, quint16(indiziert.height()));
    d.append('\0');
    d.append(char(8));
    d.append(lzw(indiziert));
    d.append(';');
    return d;
}

QByteArray kodieren(const QImage& bild, const char* format, int qualitaet)
{
    QByteArray d;
    QBuffer puffer(&d);
    puffer.open(QIODevice::WriteOnly);
    QImageWriter schreiber(&puffer, format);
    schreiber.setQuality(qualitaet);
    if (!schreiber.write(bild))
        return {};
    return d;
}

QByteArray bmpKopf(quint32 breite, quint32 hoehe)
{
    // File header, then BITMAPINFOHEADER: 24 bits, uncompressed, 2835 dots per metre.
    QByteArray d("BM");
    for (quint32 v : {54u + 64u, 0u, 54u, 40u, breite, hoehe})
        le32(d, v);
    le16(d, 1);
    le16(d, 24);
    for (quint32 v : {0u, 0u, 2835u, 2835u, 0u, 0u})
        le32(d, v);
    return d + QByteArray(64, '\x7F');
}

QByteArray gifKopf(quint16 breite, quint16 hoehe)
{
    // A global table of two entries, one image descriptor and a few bytes of data.
    QByteArray d("GIF89a");
    for (quint16 v : {breite, hoehe})
        le16(d, v);
    d.append("\x80\0\0\0\0\0\xFF\xFF\xFF,", 10);
    for (quint16 v : {quint16(0), quint16(0), breite, hoehe})
        le16(d, v);
    return d + QByteArray("\0\x02\x02\x44\x01\0;", 7);
}

QByteArray jpegMitGroesse(QByteArray jpeg, quint16 breite, quint16 hoehe)
{
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(hoehe >> 8);
    jpeg[sof + 6] = char(hoehe & 0xFF);
    jpeg[sof + 7] = char(breite >> 8);
    jpeg[sof + 8] = char(breite & 0xFF);
    return jpeg;
}

QByteArray jpegMitDrehung(const QByteArray& jpeg, quint16 drehung, const QByteArray& vorschau)
{
    // APP1 "Exif", big-endian TIFF with one IFD entry: Orientation (0x0112),
    // SHORT, count 1.
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    tiff.append("\0\x01", 2);
    tiff.append("\x01\x12\0\x03\0\0\0\x01", 8);
    tiff.append(char(drehung >> 8));
    tiff.append(char(drehung & 0xFF));
    tiff.append("\0\0", 2);
    tiff.append("\0\0\0\0", 4);
    QByteArray app1("Exif\0\0", 6);
    app1.append(tiff);
    app1.append(vorschau);
    const quint16 laenge = quint16(app1.size() + 2);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(laenge >> 8));
    segment.append(char(laenge & 0xFF));
    segment.append(app1);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QString schreiben(const QString& ordner, const QString& name, const QByteArray& inhalt)
{
    const QString pfad = QDir(ordner).filePath(name);
    QFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly) || datei.write(inhalt) != inhalt.size())
        return {};
    return pfad;
}

QByteArray lesen(const QString& pfad)
{
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return {};
    return datei.readAll();
}

QString ersterUnterschied(const QImage& ist, const QImage& soll)
{
    if (ist.size() != soll.size())
        return QStringLiteral("Größe %1×%2 statt %3×%4")
            .arg(ist.width())
            .arg(ist.height())
            .arg(soll.width())
            .arg(soll.height());
    const QImage a = ist.convertToFormat(QImage::Format_RGB32);
    const QImage b = soll.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("Pixel (%1, %2) ist %3 statt %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16);
    return {};
}

QStringList inhalt(const QString& ordner)
{
    return QDir(ordner).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace testbilder
