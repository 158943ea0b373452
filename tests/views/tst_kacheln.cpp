// The overview's tiles against the views "Ausschneiden" writes of the same
// pictures, shrunk by an area average of the test's own; and the red tiles of
// pictures that do not fit or cannot be read.

#include "Testbilder.h"
#include "config/Cp1252.h"
#include "config/FrameKonfig.h"
#include "views/Kacheln.h"
#include "views/Schneider.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace schnitt;

namespace {

// Smooth, but different in every direction, so that a shifted, turned or
// mirrored view does not pass: the scaled decode of a JPEG averages like the
// full one only where the picture has no detail finer than its blocks.
QImage verlauf(int breite, int hoehe)
{
    QImage bild(breite, hoehe, QImage::Format_RGB32);
    for (int y = 0; y < hoehe; ++y)
        for (int x = 0; x < breite; ++x)
            bild.setPixel(x, y,
                          qRgb(int(20 + 215.0 * x / breite), int(30 + 200.0 * y / hoehe),
                               int(128 + 100 * std::sin((x + 2.0 * y) / 90.0))));
    return bild;
}

// Each target pixel the exact mean of the source area it covers.
QImage mittel(const QImage& quelle, QSize ziel)
{
    QImage aus(ziel, QImage::Format_RGB32);
    const double sx = double(quelle.width()) / ziel.width();
    const double sy = double(quelle.height()) / ziel.height();
    for (int j = 0; j < ziel.height(); ++j) {
        for (int i = 0; i < ziel.width(); ++i) {
            double r = 0, g = 0, b = 0;
            for (int y = int(j * sy); y < std::ceil((j + 1) * sy); ++y) {
                const double wy = std::min((j + 1) * sy, y + 1.0) - std::max(j * sy, double(y));
                for (int x = int(i * sx); x < std::ceil((i + 1) * sx); ++x) {
                    const double w =
                        wy * (std::min((i + 1) * sx, x + 1.0) - std::max(i * sx, double(x)));
                    const QRgb p = quelle.pixel(x, y);
                    r += w * qRed(p);
                    g += w * qGreen(p);
                    b += w * qBlue(p);
                }
            }
            const double f = sx * sy;
            aus.setPixel(
                i, j,
                qRgb(int(std::lround(r / f)), int(std::lround(g / f)), int(std::lround(b / f))));
        }
    }
    return aus;
}

QByteArray ini(const QString& text)
{
    return cp1252::kodieren(QString(text).replace(u"\n"_qs, u"\r\n"_qs));
}

} // namespace

class TestKacheln final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    // The tile of `name` in Vorwärts at the default height, and the view
    // "Ausschneiden" writes of it.
    std::pair<Kachel, QImage> beide(const QString& name, const QString& konfiguration)
    {
        testbilder::schreiben(m_tmp->path(), u"config.ini"_qs, ini(konfiguration));
        const frames::FrameKonfiguration k =
            frames::konfigurationLesen(m_tmp->filePath(u"config.ini"_qs));
        const auto v = kachelvorgabe(k, k.rahmen[0], Richtung::Vorwaerts, KachelhoeheStandard);
        if (!v)
            return {};
        const Kachel kachel = kachelMachen({m_tmp->path(), name}, *v);
        const Bildschnitt b =
            bildSchneidenIn(m_tmp->path(), name, v->plan, m_tmp->filePath(u"aus"_qs));
        return {kachel, b.dateien.isEmpty() ? QImage() : QImage(b.dateien.front().pfad)};
    }

private slots:
    void init() { m_tmp = std::make_unique<QTemporaryDir>(); }

    void wieAusgeschnitten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("konfiguration");
        QTest::addColumn<int>("orientierung");
        QTest::addColumn<QSize>("groesse");

        const QImage bild = verlauf(1200, 900);
        const QString mitte = u"[Vorwärts]\nTop=90\nLeft=150\nWidth=800\nHeight=600\n"_qs;
        QTest::newRow("JPEG") << u"a.jpg"_qs << testbilder::kodieren(bild, "JPEG", 95) << mitte << 1
                              << QSize(160, 120);
        QTest::newRow("PNG") << u"a.png"_qs << testbilder::kodieren(bild, "PNG") << mitte << 1
                             << QSize(160, 120);
        // Stored 1200 × 900, shown upright as 900 × 1200.
        QTest::newRow("EXIF-Drehung")
            << u"gedreht.jpg"_qs << testbilder::kodieren(bild, "JPEG", 95)
            << u"[Vorlage]\nAusrichtung=exif\n[Vorwärts]\nTop=200\nLeft=150\nWidth=600\nHeight=800\n"_qs
            << 6 << QSize(90, 120);
        // Set up on a picture of half the size, scaled to 800 × 600 at (150, 90).
        QTest::newRow("skaliert")
            << u"a.jpg"_qs << testbilder::kodieren(bild, "JPEG", 95)
            << u"[Vorlage]\nBreite=600\nHoehe=450\nAnpassen=skalieren\n[Vorwärts]\nTop=45\nLeft=75\nWidth=400\nHeight=300\n"_qs
            << 1 << QSize(160, 120);
        QTest::newRow("Panorama")
            << u"pano.jpg"_qs << testbilder::kodieren(verlauf(1024, 512), "JPEG", 95)
            << u"[Vorwärts]\nBlickwinkel=90\nGier=30\nWidth=320\nHeight=240\n"_qs << 1
            << QSize(160, 120);
    }
    void wieAusgeschnitten()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, konfiguration);
        QFETCH(int, orientierung);
        QFETCH(QSize, groesse);
        const QString pfad = testbilder::schreiben(m_tmp->path(), name, inhalt);
        if (orientierung != 1) {
            QCOMPARE(
                QProcess::execute(u"exiftool"_qs, {u"-q"_qs, u"-n"_qs, u"-overwrite_original"_qs,
                                                   u"-Orientation=%1"_qs.arg(orientierung), pfad}),
                0);
        }
        const auto [kachel, ansicht] = beide(name, konfiguration);
        QVERIFY2(!kachel.rot(), qPrintable(kachel.grund));
        QVERIFY(!ansicht.isNull());
        QCOMPARE(kachel.bild.size(), groesse);
        const QImage soll = mittel(ansicht.convertToFormat(QImage::Format_RGB32), groesse);
        QVERIFY2(testbilder::abweichung(kachel.bild, soll) <= 2,
                 qPrintable(u"Abweichung %1"_qs.arg(testbilder::abweichung(kachel.bild, soll))));
    }

    void rot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("konfiguration");
        QTest::addColumn<QString>("grund");
        QTest::addColumn<QString>("zeile");

        const QByteArray klein = testbilder::kodieren(verlauf(400, 300), "PNG");
        QTest::newRow("Rahmen ragt hinaus")
            << u"klein.png"_qs << klein
            << u"[Vorwärts]\nTop=90\nLeft=150\nWidth=800\nHeight=600\n"_qs
            << u"Rahmen Vorwärts (Left 150, Top 90, Width 800, Height 600) liegt nicht ganz im "
               u"Bild (400 × 300)"_qs
            << u"klein.png: Rahmen Vorwärts (Left 150, Top 90, Width 800, Height 600) liegt nicht "
               u"ganz im Bild (400 × 300)"_qs;
        QTest::newRow("kein Panorama")
            << u"klein.png"_qs << klein << u"[Vorwärts]\nBlickwinkel=90\nWidth=320\nHeight=240\n"_qs
            << u"Vorwärts: das Bild ist mit 400 × 300 Pixeln kein Panorama im Seitenverhältnis 2:1"_qs
            << u"Error: klein.png, Vorwärts: das Bild ist mit 400 × 300 Pixeln kein Panorama im "
               u"Seitenverhältnis 2:1"_qs;
        QTest::newRow("kein Bild")
            << u"kaputt.jpg"_qs << QByteArray("kein Bild\n")
            << u"[Vorwärts]\nTop=0\nLeft=0\nWidth=80\nHeight=60\n"_qs
            << u"Die Datei ist kein BMP-, JPEG-, GIF-, PNG-, TIFF- oder WebP-Bild"_qs
            << u"Error: kaputt.jpg konnte nicht geladen werden: die Datei ist kein BMP-, JPEG-, "
               u"GIF-, PNG-, TIFF- oder WebP-Bild"_qs;
        // The header is whole, the scan is cut off inside the view's rows.
        QByteArray abgeschnitten = testbilder::kodieren(verlauf(1200, 900), "JPEG", 95);
        abgeschnitten.truncate(abgeschnitten.size() / 3);
        QTest::newRow("abgeschnitten")
            << u"halb.jpg"_qs << abgeschnitten
            << u"[Vorwärts]\nTop=90\nLeft=150\nWidth=800\nHeight=600\n"_qs
            << u"Die Bilddaten sind unvollständig"_qs
            << u"Error: halb.jpg konnte nicht geladen werden: die Bilddaten sind unvollständig"_qs;
    }
    void rot()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, konfiguration);
        QFETCH(QString, grund);
        QFETCH(QString, zeile);
        testbilder::schreiben(m_tmp->path(), name, inhalt);
        const Kachel kachel = beide(name, konfiguration).first;
        QVERIFY(kachel.rot());
        QVERIFY(kachel.bild.isNull());
        QCOMPARE(kachel.grund, grund);
        QCOMPARE(kachel.zeilen, QStringList{zeile});
    }

    void ersteRichtungNachOverlay_data()
    {
        QTest::addColumn<QList<int>>("breiten"); // in the order of `richtungen`
        QTest::addColumn<int>("erste");
        QTest::newRow("alle") << QList<int>{10, 10, 10, 10} << int(Richtung::Vorwaerts);
        QTest::newRow("Links und Rechts") << QList<int>{0, 10, 10, 0} << int(Richtung::Rechts);
        QTest::newRow("Links und Zurück") << QList<int>{0, 10, 0, 10} << int(Richtung::Links);
        QTest::newRow("keine") << QList<int>{0, 0, 0, 0} << -1;
    }
    void ersteRichtungNachOverlay()
    {
        QFETCH(QList<int>, breiten);
        QFETCH(int, erste);
        std::array<FrameRechteck, 4> rahmen;
        for (int i = 0; i < 4; ++i)
            rahmen[i] = {0, 0, qint16(breiten[i]), 10};
        const auto r = ersteRichtung(rahmen);
        QCOMPARE(r ? int(*r) : -1, erste);
    }
};

QTEST_GUILESS_MAIN(TestKacheln)
#include "tst_kacheln.moc"
