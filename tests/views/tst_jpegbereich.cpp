// Parts of JPEGs decoded by libjpeg directly must be the pixels of Qt's full
// decode, for every layout and wherever the part lies; a JPEG is whole only
// up to its end marker.
#include "views/Bildladen.h"
#include "views/JpegBereich.h"
#include "views/Speicherbudget.h"

#include "Testbilder.h"

#include <QTest>

using namespace schnitt;

class TestJpegBereich : public QObject
{
    Q_OBJECT

private slots:
    void wieVolleDekodierung_data()
    {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<QRect>("bereich");
        // 150 × 101 pixels; 16-pixel iMCUs for 4:2:0, 8 for 4:4:4.
        const QList<QPair<const char*, QRect>> bereiche = {
            {"MCU-Grenzen", QRect(16, 16, 32, 32)},
            {"ungerade", QRect(17, 9, 31, 23)},
            {"ein Pixel", QRect(75, 50, 1, 1)},
            {"rechter unterer Rand", QRect(131, 87, 19, 14)},
            {"linker oberer Rand", QRect(0, 0, 9, 7)},
            {"über das Bild hinaus", QRect(140, 95, 40, 40)},
            {"ganze Breite", QRect(0, 33, 150, 5)},
        };
        for (const char* datei :
             {"s444", "s422", "s440", "s420", "neustart", "progressiv", "grau", "cmyk", "exif"}) {
            for (const auto& [name, r] : bereiche)
                QTest::addRow("%s %s", datei, name)
                    << QFINDTESTDATA(QString("../data/jpegbereich/%1.jpg").arg(datei)) << r;
        }
    }
    void wieVolleDekodierung()
    {
        QFETCH(QString, datei);
        QFETCH(QRect, bereich);
        QVERIFY(!datei.isEmpty());
        const QImage voll = QImage(datei).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(voll.size(), QSize(150, 101));
        const GeladenesBild teil = bereichLaden(datei, bereich);
        QVERIFY2(teil.ok(), qPrintable(teil.fehler));
        const QRect soll = bereich.intersected(voll.rect());
        QCOMPARE(teil.ursprung, soll.topLeft());
        QCOMPARE(teil.vollGroesse, voll.size());
        QCOMPARE(testbilder::ersterUnterschied(teil.bild, voll.copy(soll)), QString());
    }

    void vollstaendig_data()
    {
        QTest::addColumn<QByteArray>("daten");
        QTest::addColumn<bool>("ganz");
        const QByteArray soi("\xFF\xD8"), eoi("\xFF\xD9");
        QTest::newRow("SOI und EOI") << soi + eoi << true;
        QTest::newRow("nur SOI") << soi << false;
        QTest::newRow("ohne SOI") << QByteArray("\0\xD8", 2) + eoi << false;
        QTest::newRow("Füllbytes und Marken ohne Segment")
            << soi + QByteArray("\xFF\xFF\xFF\0\xFF\x01\xFF\xD0\xFF\xD7", 10) + eoi << true;
        QTest::newRow("leeres Segment") << soi + QByteArray("\xFF\xE0\0\x02", 4) + eoi << true;
        QTest::newRow("EOI in einem Segment")
            << soi + QByteArray("\xFF\xE0\0\x04", 4) + eoi << false;
        QTest::newRow("Länge 1") << soi + QByteArray("\xFF\xE0\0\x01", 4) + eoi << false;
        QTest::newRow("endet nach der Marke") << soi + "\xFF\xE0" << false;
    }
    void vollstaendig()
    {
        QFETCH(QByteArray, daten);
        QFETCH(bool, ganz);
        QCOMPARE(jpegVollstaendig(daten), ganz);
    }

    void budgetWartetAufFreigabe()
    {
        Speicherbudget budget(100);
        auto a = budget.nehmen(70);
        // More than the whole budget runs alone rather than never.
        QThread* zweiter = QThread::create([&] { auto b = budget.nehmen(500); });
        zweiter->start();
        QVERIFY(!zweiter->wait(100));
        QCOMPARE(budget.frei(), qint64(30));
        a = {};
        QVERIFY(zweiter->wait(5000));
        delete zweiter;
        QCOMPARE(budget.frei(), qint64(100));
    }
};

QTEST_GUILESS_MAIN(TestJpegBereich)
#include "tst_jpegbereich.moc"
