#include "Testbilder.h"
#include "views/Bildladen.h"
#include "views/Meldungen.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace schnitt;

class TestBildladen final : public QObject
{
    Q_OBJECT

private slots:
    void gleichQtsDekodierung_data();
    void gleichQtsDekodierung();
    void gifMitIndexUndTransparenz();
    void drehungWirdIgnoriert();
    void fehlerStattAbsturz_data();
    void fehlerStattAbsturz();

private:
    QTemporaryDir m_ordner;
};

void TestBildladen::gleichQtsDekodierung_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("inhalt");

    const QImage foto = testbilder::fotoaehnlich(173, 119, 7);
    const QByteArray jpeg = testbilder::kodieren(foto, "JPEG", 85);
    QTest::newRow("BMP") << "foto.bmp" << testbilder::kodieren(foto, "BMP");
    QTest::newRow("JPEG") << "foto.jpg" << jpeg;
    QTest::newRow("JPEG, grobe Qualität") << "grob.jpg" << testbilder::kodieren(foto, "JPEG", 20);
    QTest::newRow("JPEG mit Daten hinter dem Ende") << "anhang.jpg" << jpeg + QByteArray(300, 'x');
    const QByteArray vorschau = testbilder::kodieren(testbilder::fotoaehnlich(16, 12, 2), "JPEG");
    QTest::newRow("JPEG mit Vorschaubild im EXIF-Segment")
        << "vorschau.jpg" << testbilder::jpegMitDrehung(jpeg, 1, vorschau);
    QTest::newRow("GIF") << "foto.gif"
                         << testbilder::gifKodieren(testbilder::mitPalette(foto, false));
    QTest::newRow("Großbuchstaben") << "FOTO.BMP" << testbilder::kodieren(foto, "BMP");
    QTest::newRow("JPEG unter BMP-Namen") << "falsch.bmp" << jpeg;
    QTest::newRow("Graustufen-JPEG")
        << "grau.jpg"
        << testbilder::kodieren(foto.convertToFormat(QImage::Format_Grayscale8), "JPEG", 90);
}

void TestBildladen::gleichQtsDekodierung()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, inhalt);
    QVERIFY(!inhalt.isEmpty());
    const QString pfad = testbilder::schreiben(m_ordner.path(), name, inhalt);
    QVERIFY(!pfad.isEmpty());

    const GeladenesBild geladen = bildLaden(pfad);
    QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
    QCOMPARE(geladen.bild.format(), QImage::Format_RGB32);
    QCOMPARE(geladen.bild.size(), QSize(173, 119));
    const QString unterschied = testbilder::ersterUnterschied(geladen.bild, QImage(pfad));
    QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
}

void TestBildladen::gifMitIndexUndTransparenz()
{
    const QImage indiziert = testbilder::mitPalette(testbilder::fotoaehnlich(90, 70, 3), true);
    const QString pfad =
        testbilder::schreiben(m_ordner.path(), "loch.gif",
                              testbilder::gifKodieren(indiziert, testbilder::TransparenterIndex));

    const GeladenesBild geladen = bildLaden(pfad);
    QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
    QVERIFY(!geladen.bild.hasAlphaChannel());

    // Expected straight from the indices written, not from any decoder.
    QImage soll(indiziert.size(), QImage::Format_RGB32);
    int transparente = 0;
    for (int y = 0; y < soll.height(); ++y) {
        for (int x = 0; x < soll.width(); ++x) {
            const int index = indiziert.pixelIndex(x, y);
            transparente += index == testbilder::TransparenterIndex;
            soll.setPixel(x, y,
                          index == testbilder::TransparenterIndex ? qRgb(255, 255, 255)
                                                                  : indiziert.color(index));
        }
    }
    QVERIFY(transparente > 100);
    const QString unterschied = testbilder::ersterUnterschied(geladen.bild, soll);
    QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
}

void TestBildladen::drehungWirdIgnoriert()
{
    const QImage foto = testbilder::fotoaehnlich(64, 40, 11);
    const QString pfad = testbilder::schreiben(
        m_ordner.path(), "gedreht.jpg",
        testbilder::jpegMitDrehung(testbilder::kodieren(foto, "JPEG", 90), 6));

    QImageReader drehend(pfad);
    drehend.setAutoTransform(true);
    QCOMPARE(drehend.read().size(), QSize(40, 64)); // the tag is there and readable

    // The rectangles are measured on the pixels as stored.
    const GeladenesBild geladen = bildLaden(pfad);
    QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
    QCOMPARE(geladen.bild.size(), QSize(64, 40));
    QImageReader gespeichert(pfad);
    gespeichert.setAutoTransform(false);
    const QString unterschied = testbilder::ersterUnterschied(geladen.bild, gespeichert.read());
    QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
}

void TestBildladen::fehlerStattAbsturz_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<QString>("grund");

    const QImage foto = testbilder::fotoaehnlich(120, 90, 5);
    const QByteArray jpeg = testbilder::kodieren(foto, "JPEG", 90);
    const QByteArray bmp = testbilder::kodieren(foto, "BMP");
    const QByteArray gif = testbilder::gifKodieren(testbilder::mitPalette(foto, false));
    const QString unvollstaendig = meldung::GrundUnvollstaendig.toString();
    const QString zuGross = meldung::GrundZuGross.arg(u"60000", u"60000", u"1024");

    QTest::newRow("leere Datei") << "leer.jpg" << QByteArray() << meldung::GrundLeer.toString();
    QTest::newRow("JPEG halb") << "halb.jpg" << jpeg.left(jpeg.size() / 2) << unvollstaendig;
    QTest::newRow("JPEG ohne Endmarke") << "ende.jpg" << jpeg.chopped(2) << unvollstaendig;
    const QByteArray vorschau = testbilder::kodieren(testbilder::fotoaehnlich(16, 12, 2), "JPEG");
    const QByteArray mitVorschau = testbilder::jpegMitDrehung(jpeg, 1, vorschau);
    QTest::newRow("JPEG halb, mit vollständigem Vorschaubild")
        << "vorschau.jpg" << mitVorschau.left(mitVorschau.size() / 2) << unvollstaendig;
    QTest::newRow("JPEG nur Kopf") << "kopf.jpg" << jpeg.left(300) << unvollstaendig;
    QTest::newRow("BMP halb") << "halb.bmp" << bmp.left(bmp.size() / 2) << unvollstaendig;
    QTest::newRow("GIF halb") << "halb.gif" << gif.left(gif.size() / 2) << unvollstaendig;
    QTest::newRow("Text als GIF") << "text.gif" << QByteArray("Dies ist kein Bild.\r\n")
                                  << meldung::GrundFormat.toString();
    QTest::newRow("PNG als JPEG") << "png.jpg" << testbilder::kodieren(foto, "PNG")
                                  << meldung::GrundFormat.toString();
    QTest::newRow("BMP behauptet 60000×60000")
        << "riesig.bmp" << testbilder::bmpKopf(60000, 60000) << unvollstaendig;
    QTest::newRow("GIF behauptet 60000×60000")
        << "riesig.gif" << testbilder::gifKopf(60000, 60000) << zuGross;
    QTest::newRow("JPEG behauptet 60000×60000")
        << "riesig.jpg" << testbilder::jpegMitGroesse(jpeg, 60000, 60000) << zuGross;
    QTest::newRow("fehlende Datei") << "" << QByteArray() << meldung::GrundFehlt.toString();
    QTest::newRow("Ordner mit Bildnamen")
        << "ordner.jpg" << QByteArray() << meldung::GrundKeineDatei.toString();
}

void TestBildladen::fehlerStattAbsturz()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, inhalt);
    QFETCH(QString, grund);

    QString pfad = QDir(m_ordner.path()).filePath(QStringLiteral("gibt-es-nicht.jpg"));
    if (name == u"ordner.jpg") {
        pfad = QDir(m_ordner.path()).filePath(name);
        QVERIFY(QDir().mkpath(pfad));
    } else if (!name.isEmpty()) {
        pfad = testbilder::schreiben(m_ordner.path(), name, inhalt);
        QVERIFY(!pfad.isEmpty());
    }

    const GeladenesBild geladen = bildLaden(pfad);
    QVERIFY(!geladen.ok());
    QVERIFY(geladen.bild.isNull());
    QCOMPARE(geladen.fehler, grund);
}

QTEST_GUILESS_MAIN(TestBildladen)
#include "tst_bildladen.moc"
