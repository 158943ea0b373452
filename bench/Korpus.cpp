#include "Korpus.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include <jpeglib.h>

namespace korpus {

namespace {

// Smooth random values on a grid, interpolated in between: clouds and grass
// at several scales without per-pixel trigonometry.
class Wertrauschen final
{
public:
    Wertrauschen(int breite, int hoehe, double zelle, quint32 saat)
        : m_zelle(zelle)
        , m_spalten(int(breite / zelle) + 2)
        , m_zeilen(int(hoehe / zelle) + 2)
        , m_werte(size_t(m_spalten) * m_zeilen)
    {
        QRandomGenerator zufall(saat);
        for (float& w : m_werte)
            w = float(zufall.generateDouble());
    }

    // In 0 … 1.
    float an(int x, int y) const
    {
        const double fx = x / m_zelle;
        const double fy = y / m_zelle;
        const int gx = int(fx);
        const int gy = int(fy);
        auto glatt = [](double t) { return t * t * (3 - 2 * t); };
        const double tx = glatt(fx - gx);
        const double ty = glatt(fy - gy);
        const float* z0 = &m_werte[size_t(gy) * m_spalten + gx];
        const float* z1 = z0 + m_spalten;
        const double oben = z0[0] + (z0[1] - z0[0]) * tx;
        const double unten = z1[0] + (z1[1] - z1[0]) * tx;
        return float(oben + (unten - oben) * ty);
    }

private:
    double m_zelle;
    int m_spalten;
    int m_zeilen;
    std::vector<float> m_werte;
};

quint32 xorshift(quint32& s)
{
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
}

void zeichneHuegel(QPainter& p, QRandomGenerator& zufall, int breite, double basis, double hub,
                   const QColor& oben, const QColor& unten, int hoehe)
{
    QPainterPath pfad;
    pfad.moveTo(0, hoehe);
    const int punkte = 24;
    const double phase = zufall.generateDouble() * 6.3;
    for (int i = 0; i <= punkte; ++i) {
        const double x = double(breite) * i / punkte;
        const double y = basis - hub * (0.5 + 0.35 * std::sin(i * 0.55 + phase) +
                                        0.15 * (zufall.generateDouble() - 0.5));
        pfad.lineTo(x, y);
    }
    pfad.lineTo(breite, hoehe);
    pfad.closeSubpath();
    QLinearGradient verlauf(0, basis - hub, 0, basis + hub);
    verlauf.setColorAt(0, oben);
    verlauf.setColorAt(1, unten);
    p.fillPath(pfad, verlauf);
}

} // namespace

QImage szene(int breite, int hoehe, quint32 saat)
{
    QImage bild(breite, hoehe, QImage::Format_RGB32);
    QRandomGenerator zufall(saat);
    const double m = breite / 1140.0; // shapes grow with the picture
    const double horizont = hoehe * (0.52 + 0.12 * zufall.generateDouble());
    {
        QPainter p(&bild);
        p.setRenderHint(QPainter::Antialiasing);

        QLinearGradient himmel(0, 0, 0, horizont);
        himmel.setColorAt(0, QColor::fromHsv(200 + zufall.bounded(30), 90 + zufall.bounded(60),
                                             170 + zufall.bounded(50)));
        himmel.setColorAt(1, QColor::fromHsv(30 + zufall.bounded(30), 30 + zufall.bounded(40),
                                             225 + zufall.bounded(30)));
        p.fillRect(QRectF(0, 0, breite, horizont + 2), himmel);

        const QPointF sonne(breite * (0.1 + 0.8 * zufall.generateDouble()), horizont * 0.3);
        QRadialGradient schein(sonne, 220 * m);
        schein.setColorAt(0, QColor(255, 250, 225, 230));
        schein.setColorAt(0.15, QColor(255, 240, 200, 160));
        schein.setColorAt(1, QColor(255, 230, 200, 0));
        p.fillRect(QRectF(0, 0, breite, horizont), schein);

        QLinearGradient boden(0, horizont, 0, hoehe);
        boden.setColorAt(0, QColor::fromHsv(80 + zufall.bounded(30), 120, 130));
        boden.setColorAt(1, QColor::fromHsv(70 + zufall.bounded(30), 150, 70));
        p.fillRect(QRectF(0, horizont, breite, hoehe - horizont), boden);

        zeichneHuegel(p, zufall, breite, horizont, 160 * m, QColor(120, 140, 170),
                      QColor(140, 150, 160), hoehe);
        zeichneHuegel(p, zufall, breite, horizont + 20 * m, 110 * m, QColor(70, 110, 70),
                      QColor(90, 120, 60), hoehe);

        // Houses along the horizon, with windows: hard edges as in towns.
        const int haeuser = 4 + zufall.bounded(7);
        for (int i = 0; i < haeuser; ++i) {
            const double w = (40 + zufall.bounded(90)) * m;
            const double h = (40 + zufall.bounded(80)) * m;
            const double x = zufall.generateDouble() * (breite - w);
            const double y = horizont + (10 + zufall.bounded(60)) * m - h;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromHsv(zufall.bounded(50), 40 + zufall.bounded(80),
                                       150 + zufall.bounded(90)));
            p.drawRect(QRectF(x, y, w, h));
            p.setBrush(QColor(140 + zufall.bounded(60), 50, 40));
            const QPointF dach[] = {{x - 6 * m, y}, {x + w / 2, y - h * 0.5}, {x + w + 6 * m, y}};
            p.drawPolygon(dach, 3);
            p.setBrush(QColor(40, 50, 70));
            for (double wy = y + 8 * m; wy + 14 * m < y + h; wy += 22 * m)
                for (double wx = x + 8 * m; wx + 10 * m < x + w; wx += 20 * m)
                    p.drawRect(QRectF(wx, wy, 10 * m, 14 * m));
        }

        // A road towards the horizon.
        const QPointF strasse[] = {{breite * 0.42, double(hoehe)},
                                   {breite * 0.49, horizont + 30 * m},
                                   {breite * 0.51, horizont + 30 * m},
                                   {breite * 0.66, double(hoehe)}};
        p.setBrush(QColor(95, 95, 100));
        p.drawPolygon(strasse, 4);

        const int baeume = 18 + zufall.bounded(25);
        for (int i = 0; i < baeume; ++i) {
            const double x = zufall.generateDouble() * breite;
            const double y = horizont + (20 + zufall.bounded(int(hoehe / m - horizont / m))) * m;
            const double s = m * (0.5 + (y - horizont) / (hoehe - horizont) * 1.5);
            p.setBrush(QColor(80, 55, 30));
            p.drawRect(QRectF(x - 4 * s, y - 40 * s, 8 * s, 40 * s));
            p.setBrush(QColor::fromHsv(90 + zufall.bounded(50), 150 + zufall.bounded(80),
                                       60 + zufall.bounded(80)));
            p.drawEllipse(QPointF(x, y - 60 * s), 28 * s, 40 * s);
        }
    }

    // Clouds, grass and sensor noise pixel by pixel; rows are independent,
    // so they are shared out over the cores.
    const Wertrauschen wolkenGrob(breite, hoehe, 180 * m, saat ^ 0x1111);
    const Wertrauschen wolkenFein(breite, hoehe, 45 * m, saat ^ 0x2222);
    // Grass and foliage detail stays a few pixels fine at any size, as a
    // camera with more pixels resolves finer blades, not larger ones.
    const Wertrauschen gras(breite, hoehe, 2.2, saat ^ 0x3333);
    QList<int> zeilen(hoehe);
    std::iota(zeilen.begin(), zeilen.end(), 0);
    QtConcurrent::blockingMap(zeilen, [&](int y) {
        quint32 s = saat * 2654435761u + quint32(y) * 40503u + 1u;
        auto* zeile = reinterpret_cast<QRgb*>(bild.scanLine(y));
        const bool imHimmel = y < horizont;
        for (int x = 0; x < breite; ++x) {
            int r = qRed(zeile[x]), g = qGreen(zeile[x]), b = qBlue(zeile[x]);
            if (imHimmel) {
                const float wolke = 0.65f * wolkenGrob.an(x, y) + 0.35f * wolkenFein.an(x, y);
                const int weiss = std::clamp(int((wolke - 0.5f) * 3.0f * 255), 0, 255);
                r += (255 - r) * weiss / 400;
                g += (255 - g) * weiss / 400;
                b += (255 - b) * weiss / 400;
            } else {
                const int halm = int((gras.an(x, y) - 0.5f) * 56);
                r += halm / 2;
                g += halm;
                b += halm / 3;
            }
            const int rauschen = int(xorshift(s) % 9) - 4;
            zeile[x] = qRgb(std::clamp(r + rauschen, 0, 255),
                            std::clamp(g + rauschen + int(xorshift(s) % 3) - 1, 0, 255),
                            std::clamp(b + rauschen, 0, 255));
        }
    });
    return bild;
}

namespace {

constexpr int RotStufen = 6, GruenStufen = 7, BlauStufen = 6;

QImage indiziert(const QImage& bild)
{
    static constexpr int bayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    QImage ergebnis(bild.size(), QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int r = 0; r < RotStufen; ++r)
        for (int g = 0; g < GruenStufen; ++g)
            for (int b = 0; b < BlauStufen; ++b)
                palette.append(qRgb(r * 255 / (RotStufen - 1), g * 255 / (GruenStufen - 1),
                                    b * 255 / (BlauStufen - 1)));
    while (palette.size() < 256)
        palette.append(qRgb(0, 0, 0));
    ergebnis.setColorTable(palette);
    for (int y = 0; y < bild.height(); ++y) {
        const auto* ein = reinterpret_cast<const QRgb*>(bild.constScanLine(y));
        uchar* aus = ergebnis.scanLine(y);
        for (int x = 0; x < bild.width(); ++x) {
            const double schwelle = (bayer[y & 3][x & 3] + 0.5) / 16.0;
            auto stufe = [schwelle](int v, int stufen) {
                return std::min(stufen - 1, int(v * (stufen - 1) / 255.0 + schwelle));
            };
            aus[x] = uchar((stufe(qRed(ein[x]), RotStufen) * GruenStufen +
                            stufe(qGreen(ein[x]), GruenStufen)) *
                               BlauStufen +
                           stufe(qBlue(ein[x]), BlauStufen));
        }
    }
    return ergebnis;
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

QByteArray alsGif(const QImage& bild)
{
    const QImage idx = indiziert(bild);
    QByteArray d("GIF89a");
    le16(d, idx.width());
    le16(d, idx.height());
    d.append(char(0xF7)); // global table of 256 entries
    d.append('\0');
    d.append('\0');
    for (QRgb c : idx.colorTable()) {
        d.append(char(qRed(c)));
        d.append(char(qGreen(c)));
        d.append(char(qBlue(c)));
    }
    d.append(',');
    le16(d, 0);
    le16(d, 0);
    le16(d, idx.width());
    le16(d, idx.height());
    d.append('\0');
    d.append(char(8));
    d.append(lzw(idx));
    d.append(';');
    return d;
}

QList<Eintrag> inhalt()
{
    QList<Eintrag> liste;
    for (int i = 0; i < 100; ++i) {
        const int art = i % 10;
        const QString stamm = QStringLiteral("szene%1").arg(i, 3, 10, QLatin1Char('0'));
        if (art <= 5)
            liste.append({stamm + QStringLiteral(".jpg"), "JPEG", 1140, 855});
        else if (art <= 7)
            liste.append({stamm + QStringLiteral(".jpg"), "JPEG", 4000, 3000});
        else if (art == 8)
            liste.append({stamm + QStringLiteral(".bmp"), "BMP", 1140, 855});
        else
            liste.append({stamm + QStringLiteral(".gif"), "GIF", 1140, 855});
    }
    return liste;
}

bool erzeugen(const QString& ordner)
{
    if (!QDir().mkpath(ordner)) {
        std::fprintf(stderr, "Ordner %s kann nicht angelegt werden\n", qPrintable(ordner));
        return false;
    }
    const QList<Eintrag> liste = inhalt();
    int nummer = 0;
    for (const Eintrag& e : liste) {
        const QImage bild = szene(e.breite, e.hoehe, quint32(1000 + nummer++));
        QByteArray daten;
        if (qstrcmp(e.format, "GIF") == 0) {
            daten = alsGif(bild);
        } else {
            QBuffer puffer(&daten);
            puffer.open(QIODevice::WriteOnly);
            QImageWriter schreiber(&puffer, e.format);
            schreiber.setQuality(90);
            if (!schreiber.write(bild)) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(e.name),
                             qPrintable(schreiber.errorString()));
                return false;
            }
        }
        QFile datei(QDir(ordner).filePath(e.name));
        if (!datei.open(QIODevice::WriteOnly) || datei.write(daten) != daten.size() ||
            !datei.flush()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(datei.fileName()),
                         qPrintable(datei.errorString()));
            return false;
        }
    }
    return true;
}

bool grossesJpeg(const QString& pfad, int breite, int hoehe, bool progressiv)
{
    constexpr int KachelB = 2000, KachelH = 1500;
    std::FILE* aus = std::fopen(QFile::encodeName(pfad).constData(), "wb");
    if (!aus) {
        std::fprintf(stderr, "%s: nicht zu öffnen\n", qPrintable(pfad));
        return false;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr fehler{};
    info.err = jpeg_std_error(&fehler); // a failure ends the benchmark program
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, aus);
    info.image_width = JDIMENSION(breite);
    info.image_height = JDIMENSION(hoehe);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (progressiv)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    // One band of tiles at a time; szene itself draws on every core.
    const int spalten = (breite + KachelB - 1) / KachelB;
    std::vector<QRgb> zeile(static_cast<size_t>(breite));
    for (int band = 0; band * KachelH < hoehe; ++band) {
        QList<QImage> kacheln;
        for (int s = 0; s < spalten; ++s)
            kacheln.append(szene(KachelB, KachelH, quint32(1000 + band * spalten + s)));
        for (int y = 0; y < KachelH && band * KachelH + y < hoehe; ++y) {
            for (int s = 0; s < spalten; ++s) {
                const int b = std::min(KachelB, breite - s * KachelB);
                std::copy_n(reinterpret_cast<const QRgb*>(kacheln[s].constScanLine(y)), b,
                            zeile.data() + size_t(s) * KachelB);
            }
            JSAMPROW zeiger[1] = {reinterpret_cast<JSAMPLE*>(zeile.data())};
            jpeg_write_scanlines(&info, zeiger, 1);
        }
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(aus) == 0;
}

} // namespace korpus
