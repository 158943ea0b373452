// Prepares a program folder for a first run: a "config.ini" with the sample
// rectangles and a few pictures of 1140 x 855 pixels that they fit, so that a
// newcomer can preview a picture, tick directions and cut at once. Files that
// are already there are left alone.

#include "config/Beispielconfig.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>

namespace {

QImage szene(int nummer)
{
    QImage bild(1140, 855, QImage::Format_RGB32);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator zufall(static_cast<quint32>(nummer));

    QLinearGradient himmel(0, 0, 0, 705);
    himmel.setColorAt(0, QColor::fromHsv((200 + nummer * 25) % 360, 120, 235));
    himmel.setColorAt(1, QColor::fromHsv((30 + nummer * 40) % 360, 60, 250));
    p.fillRect(0, 0, 1140, 705, himmel);
    QLinearGradient boden(0, 705, 0, 855);
    boden.setColorAt(0, QColor(90, 120 + nummer * 20, 60));
    boden.setColorAt(1, QColor(50, 70, 40));
    p.fillRect(0, 705, 1140, 150, boden);

    // Hills and trees, so that every view shows something of its own.
    for (int i = 0; i < 6; ++i) {
        const int x = zufall.bounded(1140);
        const int r = 120 + zufall.bounded(160);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv(90 + zufall.bounded(60), 120, 110 + zufall.bounded(60)));
        p.drawEllipse(QPoint(x, 705), r * 2, r);
    }
    for (int i = 0; i < 14; ++i) {
        const int x = zufall.bounded(1140);
        const int y = 560 + zufall.bounded(140);
        p.setBrush(QColor(90, 60, 30));
        p.drawRect(x - 4, y - 40, 8, 40);
        p.setBrush(QColor::fromHsv(100 + zufall.bounded(40), 180, 90 + zufall.bounded(60)));
        p.drawEllipse(QPoint(x, y - 60), 28, 40);
    }

    const struct
    {
        QRect rechteck;
        const char16_t* name;
    } bereiche[] = {{{0, 0, 150, 705}, u"Links"},
                    {{150, 0, 840, 705}, u"Vorwärts"},
                    {{990, 0, 150, 705}, u"Rechts"},
                    {{0, 705, 1140, 150}, u"Zurück"}};
    QFont schrift(QStringLiteral("DejaVu Sans"));
    schrift.setPixelSize(40);
    schrift.setBold(true);
    p.setFont(schrift);
    for (const auto& b : bereiche) {
        p.setPen(QPen(QColor(255, 255, 255, 160), 3, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(b.rechteck.adjusted(2, 2, -3, -3));
        p.setPen(QColor(20, 20, 60));
        p.drawText(b.rechteck, Qt::AlignCenter,
                   QString::fromUtf16(b.name) + QStringLiteral("\n%1").arg(nummer));
    }
    return bild;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: sichtwerk-beispiele PROGRAMMORDNER\n");
        return 2;
    }
    const QDir ordner(QString::fromLocal8Bit(argv[1]));

    const QString config = ordner.filePath(QStringLiteral("config.ini"));
    if (!QFileInfo::exists(config)) {
        QString fehler;
        if (!beispiel::schreiben(config, &fehler)) {
            std::fprintf(stderr, "%s\n", qPrintable(fehler));
            return 1;
        }
    }
    const struct
    {
        const char* name;
        const char* format;
    } bilder[] = {{"szene1.jpg", "JPEG"}, {"szene2.jpg", "JPEG"}, {"szene3.bmp", "BMP"}};
    int nummer = 1;
    for (const auto& b : bilder) {
        const QString pfad = ordner.filePath(QLatin1String(b.name));
        if (!QFileInfo::exists(pfad) && !szene(nummer).save(pfad, b.format, 92)) {
            std::fprintf(stderr, "Bild '%s' konnte nicht geschrieben werden\n", qPrintable(pfad));
            return 1;
        }
        ++nummer;
    }
    return 0;
}
