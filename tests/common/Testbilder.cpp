#include "Testbilder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

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

QByteArray kodieren(const QImage& bild, const char* format, int qualitaet, bool progressiv)
{
    QByteArray d;
    QBuffer puffer(&d);
    puffer.open(QIODevice::WriteOnly);
    QImageWriter schreiber(&puffer, format);
    schreiber.setQuality(qualitaet);
    schreiber.setProgressiveScanWrite(progressiv);
    if (!schreiber.write(bild))
        return {};
    return d;
}

QString schreiben(const QString& ordner, const QString& name, const QByteArray& inhalt)
{
    const QString pfad = QDir(ordner).filePath(name);
    QDir().mkpath(QFileInfo(pfad).path());
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

QString testpfad(const QString& name)
{
    return QStringLiteral(SICHTWERK_TESTDATEN "/") + name;
}

QByteArray testdatei(const QString& name)
{
    return lesen(testpfad(name));
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

QList<QImage> ffmpegBilder(const QString& pfad, const QString& vf, QSize groesse)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {"-v", "quiet", "-i", pfad, "-vf", vf, "-fps_mode",
                                       "passthrough", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    p.waitForFinished(120000);
    const QByteArray roh = p.readAllStandardOutput();
    const qsizetype zeile = groesse.width() * 3, bild = zeile * groesse.height();
    QList<QImage> bilder;
    for (qsizetype i = 0; bild > 0 && i + bild <= roh.size(); i += bild)
        bilder.append(QImage(reinterpret_cast<const uchar*>(roh.constData() + i), groesse.width(),
                             groesse.height(), zeile, QImage::Format_RGB888)
                          .convertToFormat(QImage::Format_RGB32));
    return bilder;
}

int abweichung(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_RGB32),
                 y = b.convertToFormat(QImage::Format_RGB32);
    int groesste = 0;
    for (int zeile = 0; zeile < x.height(); ++zeile)
        for (int i = 0; i < x.width() * 4; ++i)
            groesste =
                std::max(groesste, std::abs(x.constScanLine(zeile)[i] - y.constScanLine(zeile)[i]));
    return groesste;
}

QString ordnerUnterschied(const QString& ist, const QString& soll)
{
    auto dateien = [](const QString& ordner) {
        return QDir(ordner).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    if (dateien(ist) != dateien(soll) || dateien(ist).isEmpty())
        return dateien(ist).join(u',') + QStringLiteral(" statt ") + dateien(soll).join(u',');
    for (const QString& name : dateien(ist))
        if (lesen(QDir(ist).filePath(name)) != lesen(QDir(soll).filePath(name)))
            return name + QStringLiteral(" unterscheidet sich");
    return {};
}

} // namespace testbilder
