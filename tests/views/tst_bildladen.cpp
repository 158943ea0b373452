// Decoding for the cut (bildLaden) and for the preview (vorschauLaden): the
// preview's scaled decode, the size limit, and the same clear reason for
// every bad file in both. Their pixels against Qt's decoder are tst_formate's.

#include "Testbilder.h"
#include "views/Bildladen.h"
#include "views/Meldungen.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

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

    // Strip byte counts stored as BYTE values, which libtiff reads like any
    // other integers: the completeness check leaves such a table to the
    // decoder instead of refusing a good picture.
    void tiffMitByteTabelle()
    {
        const QImage quelle =
            testbilder::fotoaehnlich(6, 6, 3).convertToFormat(QImage::Format_RGB888);
        QByteArray tiff = testbilder::kodieren(quelle, "TIFF");
        QVERIFY(tiff.startsWith("II*"));
        const auto zahl16 = [&](qsizetype i) {
            return quint16(uchar(tiff[i]) | uchar(tiff[i + 1]) << 8);
        };
        const qsizetype verzeichnis = qFromLittleEndian<quint32>(tiff.constData() + 4);
        qsizetype eintrag = -1;
        for (qsizetype e = 0; e < zahl16(verzeichnis); ++e) {
            if (zahl16(verzeichnis + 2 + 12 * e) == 279)
                eintrag = verzeichnis + 2 + 12 * e;
        }
        QVERIFY(eintrag > 0 && qFromLittleEndian<quint32>(tiff.constData() + eintrag + 4) == 1);
        tiff[eintrag + 2] = 1; // BYTE; the count, 108, stands in the value's first byte
        tiff[eintrag + 3] = 0;
        const GeladenesBild geladen =
            bildLaden(testbilder::schreiben(m_ordner.path(), u"byte.tif"_qs, tiff));
        QVERIFY2(geladen.ok(), qPrintable(geladen.fehler));
        QCOMPARE(geladen.bild.convertToFormat(QImage::Format_RGB888), quelle);
    }

    void fehlerStattAbsturz_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("grund");
        auto zeile = [](const char* name, const QString& datei, const QByteArray& inhalt,
                        const QString& grund) { QTest::newRow(name) << datei << inhalt << grund; };
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
        zeile("JPEG behauptet 60000×60000", "riesig.jpg", testbilder::testdatei("riesig.jpg"),
              zuGross(60000, 60000));
        zeile("leere Datei", "leer.jpg", QByteArray(), meldung::GrundLeer.toString());
        zeile("JPEG halb", "halb.jpg", jpeg.left(jpeg.size() / 2), unvollstaendig);
        zeile("Text als GIF", "text.gif", QByteArray("Dies ist kein Bild.\r\n"),
              meldung::GrundFormat.toString());
        zeile("GIF behauptet 60000×60000", "riesig.gif", testbilder::testdatei("riesig.gif"),
              zuGross(60000, 60000));
        zeile("BMP behauptet 60000×60000", "riesig.bmp", testbilder::testdatei("riesig.bmp"),
              unvollstaendig);
        // Row length times height exceeds 64 bits.
        zeile("BMP behauptet 2³¹ × 2³¹ zu 65535 Bit", "breit.bmp",
              testbilder::testdatei("breit.bmp"), unvollstaendig);
        zeile("JPEG ohne Endmarke", "ende.jpg", jpeg.chopped(2), unvollstaendig);
        QByteArray flach = bmp; // a height of 0: whole, but no picture
        qToLittleEndian(qint32(0), flach.data() + 22);
        zeile("BMP der Höhe 0", "flach.bmp", flach, beschaedigt);
        zeile("BMP halb", "halb.bmp", bmp.left(bmp.size() / 2), unvollstaendig);
        zeile("GIF halb", "halb.gif", gif.left(gif.size() / 2), unvollstaendig);
        zeile("GIF nur die Kennung", "kennung.gif", QByteArray("GIF89a"), unvollstaendig);
        zeile("GIF im Bildkopf abgeschnitten", "kopf.gif",
              gif.left(gif.indexOf(QByteArray("\x2C\0\0\0\0", 5)) + 5), unvollstaendig);
        // A frame header libjpeg refuses: 12 bits a sample.
        QByteArray zwoelf = testbilder::testdatei(u"formate/icc.jpg"_qs);
        zwoelf[zwoelf.indexOf("\xFF\xC0") + 4] = 12;
        zeile("JPEG mit 12 Bit", "zwoelf.jpg", zwoelf, meldung::GrundBeschaedigt.toString());
        // A picture format Qt reads, but which is not one of the listed ones.
        zeile("PPM als JPEG", "ppm.jpg", testbilder::kodieren(foto, "PPM"),
              meldung::GrundFormat.toString());
        zeile("fehlende Datei", "", QByteArray(), meldung::GrundFehlt.toString());
        zeile("Ordner mit Bildnamen", "ordner.jpg", QByteArray(),
              meldung::GrundKeineDatei.toString());
        zeile("PNG halb", "halb.png", formate("halb.png"), unvollstaendig);
        zeile("PNG ohne IEND", "iend.png", formate("rgb.png").chopped(12), unvollstaendig);
        zeile("PNG Prüfsumme", "crc.png", formate("crc.png"), beschaedigt);
        zeile("PNG behauptet 60000×60000", "riesig.png", formate("riesig.png"),
              zuGross(60000, 60000));
        // 640 MB at 8 bits, but held at 16 until rounded: over the limit.
        zeile("PNG 16 Bit, doppelt zu groß", "riesig16.png", formate("riesig16.png"),
              zuGross(16000, 10000));
        zeile("TIFF mit JPEG halb", "halb.tif", formate("halb.tif"), unvollstaendig);
        zeile("TIFF ohne Verzeichnis", "lzw.tif", formate("lzw.tif").left(5000), unvollstaendig);
        zeile("TIFF Motorola ohne Verzeichnis", "mm.tif", formate("motorola.tif").left(5000),
              unvollstaendig);
        zeile("TIFF LZW verdorben", "lzw.tif", formate("lzw-kaputt.tif"), beschaedigt);
        zeile("WebP halb", "halb.webp", formate("halb.webp"), unvollstaendig);
        zeile("WebP verdorben", "kaputt.webp", formate("kaputt.webp"), beschaedigt);
        // At the edges of the completeness checks: what they let through, the decoder judges.
        const qsizetype gce = gif.indexOf("\x21\xF9"); // the extension in front of the picture
        zeile("GIF in der Erweiterung abgeschnitten", "ext.gif", gif.left(gce + 4), unvollstaendig);
        zeile("GIF vor dem Bild abgeschnitten", "vor.gif", gif.left(gce + 8), unvollstaendig);
        zeile("GIF mit Endblock vor dem Bild", "ende.gif", gif.left(gce) + ';', beschaedigt);
        zeile("BMP nur Dateikopf", "kopf.bmp", bmp.left(14), unvollstaendig);
        zeile("TIFF Verzeichnis ohne Einträge", "leer.tif", QByteArray("II*\0\6\0\0\0", 8),
              beschaedigt);
        zeile("WebP nur Kopf", "kopf.webp", QByteArray("RIFF\4\0\0\0WEBP", 12), beschaedigt);
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
