#include "Testbilder.h"
#include "views/Bildladen.h"
#include "views/Meldungen.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace schnitt;

// The preview decodes small where it can, but never smaller than asked, and
// knows the picture's real size; bad files fail exactly as in bildLaden.
class TestVorschauladen final : public QObject
{
    Q_OBJECT

private slots:
    void groesse_data();
    void groesse();
    void zeigtDasselbeBild();
    void gifTransparenzWeiss();
    void fehlerWieBildLaden_data();
    void fehlerWieBildLaden();

private:
    QTemporaryDir m_ordner;
};

namespace {

// Rough likeness: both reduced to a few pixels, no channel more than
// `toleranz` apart. A swapped channel, a mirrored, rotated or shifted
// picture fails; different scaling filters pass.
QString aehnlich(const QImage& a, const QImage& b, int toleranz)
{
    const QSize klein(16, 12);
    const QImage ka = a.scaled(klein, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    const QImage kb = b.scaled(klein, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < klein.height(); ++y) {
        for (int x = 0; x < klein.width(); ++x) {
            const QRgb p = ka.pixel(x, y), q = kb.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > toleranz || qAbs(qGreen(p) - qGreen(q)) > toleranz ||
                qAbs(qBlue(p) - qBlue(q)) > toleranz)
                return QStringLiteral("(%1, %2): %3 statt %4")
                    .arg(x)
                    .arg(y)
                    .arg(p, 8, 16)
                    .arg(q, 8, 16);
        }
    }
    return {};
}

// Large smooth shapes in distinct colours, so that the likeness test above
// sees where things are.
QImage szene(int breite, int hoehe)
{
    QImage bild = testbilder::fotoaehnlich(breite, hoehe, 5);
    for (int y = 0; y < hoehe; ++y) {
        auto* zeile = reinterpret_cast<QRgb*>(bild.scanLine(y));
        for (int x = 0; x < breite; ++x) {
            if (x < breite / 3 && y < hoehe / 2)
                zeile[x] = qRgb(220, 30, 30);
            else if (x > breite * 2 / 3 && y > hoehe / 2)
                zeile[x] = qRgb(20, 40, 200);
        }
    }
    return bild;
}

} // namespace

void TestVorschauladen::groesse_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("voll");
    QTest::addColumn<QSize>("ziel");
    QTest::addColumn<QSize>("erwartet");

    const QSize vorschau(626, 469); // the preview box's drawing area
    // libjpeg scales by M/8; the smallest M that still covers the target.
    QTest::newRow("JPEG 4000×3000: ein Viertel")
        << "JPEG" << QSize(4000, 3000) << vorschau << QSize(1000, 750);
    QTest::newRow("JPEG 1600×1200: die Hälfte")
        << "JPEG" << QSize(1600, 1200) << vorschau << QSize(800, 600);
    QTest::newRow("JPEG ungerade Größe: fünf Achtel")
        << "JPEG" << QSize(1141, 857) << vorschau << QSize(713, 535);
    QTest::newRow("JPEG hoch statt breit")
        << "JPEG" << QSize(1200, 1600) << vorschau << QSize(750, 1000);
    QTest::newRow("JPEG genau doppelt so groß")
        << "JPEG" << QSize(1252, 938) << vorschau << QSize(626, 469);
    QTest::newRow("JPEG kleiner als das Ziel")
        << "JPEG" << QSize(200, 150) << vorschau << QSize(200, 150);
    QTest::newRow("JPEG flach: die Höhe reicht nie")
        << "JPEG" << QSize(3000, 200) << vorschau << QSize(3000, 200);
    QTest::newRow("JPEG ohne Ziel") << "JPEG" << QSize(1600, 1200) << QSize() << QSize(1600, 1200);
    QTest::newRow("Graustufen-JPEG") << "GRAU" << QSize(1600, 1200) << vorschau << QSize(800, 600);
    QTest::newRow("BMP ganz") << "BMP" << QSize(1600, 1200) << vorschau << QSize(1600, 1200);
    QTest::newRow("GIF ganz") << "GIF" << QSize(800, 600) << vorschau << QSize(800, 600);
}

void TestVorschauladen::groesse()
{
    QFETCH(QString, format);
    QFETCH(QSize, voll);
    QFETCH(QSize, ziel);
    QFETCH(QSize, erwartet);

    const QImage bild = testbilder::fotoaehnlich(voll.width(), voll.height(), 1);
    QByteArray inhalt;
    if (format == u"GIF")
        inhalt = testbilder::gifKodieren(testbilder::mitPalette(bild, false));
    else if (format == u"GRAU")
        inhalt = testbilder::kodieren(bild.convertToFormat(QImage::Format_Grayscale8), "JPEG", 90);
    else
        inhalt = testbilder::kodieren(bild, qPrintable(format), 90);
    const QString pfad = testbilder::schreiben(m_ordner.path(), QStringLiteral("bild"), inhalt);

    const Vorschaubild v = vorschauLaden(pfad, ziel);
    QVERIFY2(v.ok(), qPrintable(v.fehler));
    QCOMPARE(v.vollGroesse, voll);
    QCOMPARE(v.bild.size(), erwartet);
    QCOMPARE(v.bild.format(), QImage::Format_RGB32);
    // Never below the target where the picture itself is large enough.
    QVERIFY(v.bild.width() >= std::min(ziel.width(), voll.width()));
    QVERIFY(v.bild.height() >= std::min(ziel.height(), voll.height()));
}

void TestVorschauladen::zeigtDasselbeBild()
{
    const QImage bild = szene(1600, 1200);
    const QString pfad = testbilder::schreiben(m_ordner.path(), QStringLiteral("szene.jpg"),
                                               testbilder::kodieren(bild, "JPEG", 90));
    const Vorschaubild v = vorschauLaden(pfad, QSize(626, 469));
    QVERIFY2(v.ok(), qPrintable(v.fehler));
    QVERIFY(v.bild.width() < 1600); // really decoded small
    QCOMPARE(aehnlich(v.bild, bildLaden(pfad).bild, 12), QString());

    // The orientation tag is ignored, as for the cut: the full size is the
    // stored one.
    const QString gedreht = testbilder::schreiben(
        m_ordner.path(), QStringLiteral("gedreht.jpg"),
        testbilder::jpegMitDrehung(testbilder::kodieren(bild, "JPEG", 90), 6));
    const Vorschaubild d = vorschauLaden(gedreht, QSize(626, 469));
    QVERIFY2(d.ok(), qPrintable(d.fehler));
    QCOMPARE(d.vollGroesse, QSize(1600, 1200));
    QCOMPARE(aehnlich(d.bild, bild, 12), QString());
}

void TestVorschauladen::gifTransparenzWeiss()
{
    const QImage indiziert = testbilder::mitPalette(testbilder::fotoaehnlich(90, 70, 3), true);
    const QString pfad =
        testbilder::schreiben(m_ordner.path(), QStringLiteral("loch.gif"),
                              testbilder::gifKodieren(indiziert, testbilder::TransparenterIndex));
    const Vorschaubild v = vorschauLaden(pfad, QSize(60, 40));
    QVERIFY2(v.ok(), qPrintable(v.fehler));
    QVERIFY(!v.bild.hasAlphaChannel());
    QCOMPARE(v.bild.pixel(45, 35), qRgb(255, 255, 255)); // the middle of the hole
    QCOMPARE(testbilder::ersterUnterschied(v.bild, bildLaden(pfad).bild), QString());
}

void TestVorschauladen::fehlerWieBildLaden_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("inhalt");

    const QImage foto = testbilder::fotoaehnlich(1200, 900, 5);
    const QByteArray jpeg = testbilder::kodieren(foto, "JPEG", 90);
    const QByteArray bmp = testbilder::kodieren(foto, "BMP");
    const QByteArray gif = testbilder::gifKodieren(testbilder::mitPalette(foto, false));
    QTest::newRow("leere Datei") << "leer.jpg" << QByteArray();
    QTest::newRow("JPEG halb") << "halb.jpg" << jpeg.left(jpeg.size() / 2);
    QTest::newRow("JPEG ohne Endmarke") << "ende.jpg" << jpeg.chopped(2);
    QTest::newRow("JPEG nur Kopf") << "kopf.jpg" << jpeg.left(300);
    QTest::newRow("BMP halb") << "halb.bmp" << bmp.left(bmp.size() / 2);
    QTest::newRow("GIF halb") << "halb.gif" << gif.left(gif.size() / 2);
    QTest::newRow("Text als GIF") << "text.gif" << QByteArray("Dies ist kein Bild.\r\n");
    QTest::newRow("PNG als JPEG") << "png.jpg" << testbilder::kodieren(foto, "PNG");
    // Scaled down it would fit, but the limit counts the full size.
    QTest::newRow("JPEG behauptet 60000×60000")
        << "riesig.jpg" << testbilder::jpegMitGroesse(jpeg, 60000, 60000);
    QTest::newRow("GIF behauptet 60000×60000") << "riesig.gif" << testbilder::gifKopf(60000, 60000);
    QTest::newRow("fehlende Datei") << "" << QByteArray();
    QTest::newRow("Ordner mit Bildnamen") << "ordner.jpg" << QByteArray();
}

void TestVorschauladen::fehlerWieBildLaden()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, inhalt);

    QString pfad = QDir(m_ordner.path()).filePath(QStringLiteral("gibt-es-nicht.jpg"));
    if (name == u"ordner.jpg") {
        pfad = QDir(m_ordner.path()).filePath(name);
        QVERIFY(QDir().mkpath(pfad));
    } else if (!name.isEmpty()) {
        pfad = testbilder::schreiben(m_ordner.path(), name, inhalt);
        QVERIFY(!pfad.isEmpty());
    }

    const GeladenesBild voll = bildLaden(pfad);
    QVERIFY(!voll.ok());
    const Vorschaubild v = vorschauLaden(pfad, QSize(626, 469));
    QVERIFY(!v.ok());
    QVERIFY(v.bild.isNull());
    QCOMPARE(v.fehler, voll.fehler);
}

QTEST_GUILESS_MAIN(TestVorschauladen)
#include "tst_vorschauladen.moc"
