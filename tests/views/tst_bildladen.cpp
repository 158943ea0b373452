// Decoding for the cut (bildLaden) and for the preview (vorschauLaden): the
// same pixels as Qt's decoder, and the same clear reason for every bad file in both.

#include "Testbilder.h"
#include "views/Bildladen.h"
#include "views/Meldungen.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace schnitt;

namespace {

qint64 spitzeKB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& zeile : status.readAll().split('\n'))
        if (zeile.startsWith("VmHWM:"))
            return zeile.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace

class TestBildladen final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_ordner;

private slots:
    void gleichQtsDekodierung_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        const QImage foto = testbilder::fotoaehnlich(173, 119, 7);
        const QByteArray jpeg = testbilder::kodieren(foto, "JPEG", 85);
        QTest::newRow("BMP") << "foto.bmp" << testbilder::kodieren(foto, "BMP");
        QTest::newRow("1 × 1") << "punkt.bmp" << testbilder::kodieren(foto.copy(0, 0, 1, 1), "BMP");
        QTest::newRow("OS/2-BMP 1 × 1, 30 Bytes")
            << "os2.bmp"
            << QByteArray(
                   "BM\x1E\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\1\0\1\0\1\0\x18\0\x0A\x14\x1E\0", 30);
        QTest::newRow("JPEG") << "foto.jpg" << jpeg;
        QTest::newRow("GIF mit 300 Bildern") << "viele.gif" << testbilder::testdatei("viele.gif");
        QTest::newRow("BMP mit RLE8") << "rle.bmp" << testbilder::testdatei("rle.bmp");
        // Far smaller than its rows unpacked: no mistake for a cut-off file.
        QTest::newRow("BMP mit RLE8, stark gepackt")
            << "gepackt.bmp" << testbilder::testdatei("rle-gepackt.bmp");
        QTest::newRow("JPEG mit Neustartmarken")
            << "neustart.jpg" << testbilder::testdatei("neustart.jpg");
        QTest::newRow("JPEG unter BMP-Namen") << "falsch.bmp" << jpeg;
        QTest::newRow("Graustufen-JPEG")
            << "grau.jpg"
            << testbilder::kodieren(foto.convertToFormat(QImage::Format_Grayscale8), "JPEG", 90);
    }
    void gleichQtsDekodierung()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        const QString pfad = testbilder::schreiben(m_ordner.path(), name, inhalt);
        QVERIFY(!pfad.isEmpty());
        const GeladenesBild geladen = bildLaden(pfad);
        QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
        QCOMPARE(geladen.bild.format(), QImage::Format_RGB32);
        QCOMPARE(testbilder::ersterUnterschied(geladen.bild, QImage(pfad)), QString());
        // Asked for no smaller size, the preview is the very same picture.
        const Vorschaubild v = vorschauLaden(pfad, QSize());
        QVERIFY2(v.ok(), qPrintable(v.fehler));
        QCOMPARE(v.vollGroesse, QImage(pfad).size());
        QCOMPARE(testbilder::ersterUnterschied(v.bild, geladen.bild), QString());
    }

    void vorschauGroesse_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("voll");
        QTest::addColumn<QSize>("erwartet");
        // libjpeg scales by M/8: the smallest M that still covers 626 × 469.
        QTest::newRow("JPEG ein Viertel") << "JPEG" << QSize(4000, 3000) << QSize(1000, 750);
        QTest::newRow("JPEG ungerade: fünf Achtel")
            << "JPEG" << QSize(1141, 857) << QSize(713, 535);
        QTest::newRow("JPEG flach") << "JPEG" << QSize(3000, 200) << QSize(3000, 200);
        QTest::newRow("BMP ganz") << "BMP" << QSize(1600, 1200) << QSize(1600, 1200);
    }
    void vorschauGroesse()
    {
        QFETCH(QString, format);
        QFETCH(QSize, voll);
        QFETCH(QSize, erwartet);
        const QImage bild = testbilder::fotoaehnlich(voll.width(), voll.height(), 1);
        const QString pfad = testbilder::schreiben(
            m_ordner.path(), "bild", testbilder::kodieren(bild, qPrintable(format), 90));
        const QSize ziel(626, 469); // the preview box's drawing area
        const Vorschaubild v = vorschauLaden(pfad, ziel);
        QVERIFY2(v.ok(), qPrintable(v.fehler));
        QCOMPARE(v.vollGroesse, voll);
        QCOMPARE(v.bild.size(), erwartet);
        QCOMPARE(v.bild.format(), QImage::Format_RGB32);
        // Decoded small, but the same picture: both reduced to a few pixels alike.
        const QImage ist = v.bild.scaled(16, 12, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage soll =
            QImage(pfad).scaled(16, 12, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int i = 0; i < 16 * 12; ++i)
            QVERIFY(qAbs(qGray(ist.pixel(i % 16, i / 16)) - qGray(soll.pixel(i % 16, i / 16))) <=
                    12);
    }

    void riesigesJpeg()
    {
        // Over the limit whole: the cut decodes only its part, the preview an eighth.
        const QString pfad = testbilder::schreiben(m_ordner.path(), "verlauf.jpg",
                                                   testbilder::testdatei("verlauf-riesig.jpg"));
        auto grau = [](int x) { return x * 255 / 16400; }; // the file's grey at column x
        QCOMPARE(bildLaden(pfad).fehler, meldung::GrundZuGross.arg(u"16400", u"16400", u"1024"));
        const GeladenesBild teil = bereichLaden(pfad, QRect(16000, 9000, 300, 20));
        QVERIFY2(teil.ok(), qPrintable(teil.fehler));
        QCOMPARE(teil.ursprung, QPoint(16000, 9000));
        QCOMPARE(teil.vollGroesse, QSize(16400, 16400));
        QCOMPARE(teil.bild.size(), QSize(300, 20));
        const Vorschaubild v = vorschauLaden(pfad, QSize(626, 469));
        QVERIFY2(v.ok(), qPrintable(v.fehler));
        QCOMPARE(v.vollGroesse, QSize(16400, 16400));
        QCOMPARE(v.bild.size(), QSize(2050, 2050));
        for (int x = 0; x < 300; x += 7) {
            QVERIFY(qAbs(qGray(teil.bild.pixel(x, 10)) - grau(16000 + x)) <= 2);
            QVERIFY(qAbs(qGray(v.bild.pixel(x * 6, 1000)) - grau(x * 48 + 4)) <= 2);
        }
        // In colour, whose components libjpeg converts itself.
        const QString farbe = testbilder::schreiben(m_ordner.path(), "farbe.jpg",
                                                    testbilder::testdatei("farbe-riesig.jpg"));
        QCOMPARE(bereichLaden(farbe, QRect(9000, 9000, 40, 30)).bild.pixel(39, 29),
                 qRgb(198, 101, 50));
        QCOMPARE(vorschauLaden(farbe, QSize(626, 469)).bild.pixel(1000, 1000), qRgb(198, 101, 50));
    }

    void fehlerStattAbsturz_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("grund");
        const QImage foto = testbilder::fotoaehnlich(120, 90, 5);
        const QByteArray jpeg = testbilder::kodieren(foto, "JPEG", 90);
        const QByteArray bmp = testbilder::kodieren(foto, "BMP");
        const QByteArray gif = testbilder::testdatei("szene.gif");
        auto formate = [](const char* name) {
            return testbilder::testdatei(u"formate/"_qs + name);
        };
        const QString unvollstaendig = meldung::GrundUnvollstaendig.toString();
        const QString beschaedigt = meldung::GrundBeschaedigt.toString();
        auto zuGross = [](int b, int h) {
            return meldung::GrundZuGross.arg(QString::number(b), QString::number(h), u"1024");
        };
        // Scaled down it would fit, but the limit counts the full size.
        QTest::newRow("JPEG behauptet 60000×60000")
            << "riesig.jpg" << testbilder::testdatei("riesig.jpg") << zuGross(60000, 60000);
        QTest::newRow("leere Datei") << "leer.jpg" << QByteArray() << meldung::GrundLeer.toString();
        QTest::newRow("JPEG halb") << "halb.jpg" << jpeg.left(jpeg.size() / 2) << unvollstaendig;
        QTest::newRow("Text als GIF") << "text.gif" << QByteArray("Dies ist kein Bild.\r\n")
                                      << meldung::GrundFormat.toString();
        QTest::newRow("GIF behauptet 60000×60000")
            << "riesig.gif" << testbilder::testdatei("riesig.gif") << zuGross(60000, 60000);
        QTest::newRow("BMP behauptet 60000×60000")
            << "riesig.bmp" << testbilder::testdatei("riesig.bmp") << unvollstaendig;
        // Row length times height exceeds 64 bits.
        QByteArray bmpKopf("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"
                           "\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F\x01\0\xFF\xFF",
                           30);
        QTest::newRow("BMP behauptet 2³¹ × 2³¹ zu 65535 Bit")
            << "breit.bmp" << bmpKopf.append(24, '\0') << unvollstaendig;
        QTest::newRow("JPEG ohne Endmarke") << "ende.jpg" << jpeg.chopped(2) << unvollstaendig;
        QTest::newRow("BMP halb") << "halb.bmp" << bmp.left(bmp.size() / 2) << unvollstaendig;
        QTest::newRow("GIF halb") << "halb.gif" << gif.left(gif.size() / 2) << unvollstaendig;
        QTest::newRow("GIF nur die Kennung")
            << "kennung.gif" << QByteArray("GIF89a") << unvollstaendig;
        QTest::newRow("GIF im Bildkopf abgeschnitten")
            << "kopf.gif" << gif.left(gif.indexOf(QByteArray("\x2C\0\0\0\0", 5)) + 5)
            << unvollstaendig;
        // A picture format Qt reads, but which is not one of the listed ones.
        QTest::newRow("PPM als JPEG")
            << "ppm.jpg" << testbilder::kodieren(foto, "PPM") << meldung::GrundFormat.toString();
        QTest::newRow("fehlende Datei") << "" << QByteArray() << meldung::GrundFehlt.toString();
        QTest::newRow("Ordner mit Bildnamen")
            << "ordner.jpg" << QByteArray() << meldung::GrundKeineDatei.toString();
        QTest::newRow("PNG halb") << "halb.png" << formate("halb.png") << unvollstaendig;
        QTest::newRow("PNG ohne IEND")
            << "iend.png" << formate("rgb.png").chopped(12) << unvollstaendig;
        QTest::newRow("PNG Prüfsumme") << "crc.png" << formate("crc.png") << beschaedigt;
        QTest::newRow("PNG behauptet 60000×60000")
            << "riesig.png" << formate("riesig.png") << zuGross(60000, 60000);
        // 640 MB at 8 bits, but held at 16 until rounded: over the limit.
        QTest::newRow("PNG 16 Bit, doppelt zu groß")
            << "riesig16.png" << formate("riesig16.png") << zuGross(16000, 10000);
        QTest::newRow("TIFF mit JPEG halb") << "halb.tif" << formate("halb.tif") << unvollstaendig;
        QTest::newRow("TIFF ohne Verzeichnis")
            << "lzw.tif" << formate("lzw.tif").left(5000) << unvollstaendig;
        QTest::newRow("TIFF Motorola ohne Verzeichnis")
            << "mm.tif" << formate("motorola.tif").left(5000) << unvollstaendig;
        QTest::newRow("TIFF LZW verdorben")
            << "lzw.tif" << formate("lzw-kaputt.tif") << beschaedigt;
        QTest::newRow("WebP halb") << "halb.webp" << formate("halb.webp") << unvollstaendig;
        QTest::newRow("WebP verdorben") << "kaputt.webp" << formate("kaputt.webp") << beschaedigt;
        // At the edges of the completeness checks: what they let through, the decoder judges.
        const qsizetype gce = gif.indexOf("\x21\xF9"); // the extension in front of the picture
        QTest::newRow("GIF in der Erweiterung abgeschnitten")
            << "ext.gif" << gif.left(gce + 4) << unvollstaendig;
        QTest::newRow("GIF vor dem Bild abgeschnitten")
            << "vor.gif" << gif.left(gce + 8) << unvollstaendig;
        QTest::newRow("GIF mit Endblock vor dem Bild")
            << "ende.gif" << gif.left(gce) + ';' << beschaedigt;
        QTest::newRow("BMP nur Dateikopf") << "kopf.bmp" << bmp.left(14) << unvollstaendig;
        QTest::newRow("TIFF Verzeichnis ohne Einträge")
            << "leer.tif" << QByteArray("II*\0\6\0\0\0", 8) << beschaedigt;
        QTest::newRow("WebP nur Kopf")
            << "kopf.webp" << QByteArray("RIFF\4\0\0\0WEBP", 12) << beschaedigt;
    }
    void fehlerStattAbsturz()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, grund);
        QString pfad = m_ordner.filePath("gibt-es-nicht.jpg");
        if (name == u"ordner.jpg") {
            pfad = m_ordner.filePath(name);
            QVERIFY(QDir().mkpath(pfad));
        } else if (!name.isEmpty()) {
            pfad = testbilder::schreiben(m_ordner.path(), name, inhalt);
        }
        const GeladenesBild geladen = bildLaden(pfad);
        QVERIFY(!geladen.ok());
        QVERIFY(geladen.bild.isNull());
        QCOMPARE(geladen.fehler, grund);
        // The batch's decode of a part judges a file as the whole decode does.
        QCOMPARE(bereichLaden(pfad, QRect(0, 0, 40, 30)).fehler, grund);
        const Vorschaubild v = vorschauLaden(pfad, QSize(626, 469));
        QVERIFY(v.bild.isNull());
        QCOMPARE(v.fehler, grund);
        // Sizes of 60000 × 60000 (14 GB) are refused before any allocation.
        QVERIFY2(spitzeKB() < 512 * 1024, qPrintable(QString::number(spitzeKB())));
    }
};

QTEST_GUILESS_MAIN(TestBildladen)
#include "tst_bildladen.moc"
