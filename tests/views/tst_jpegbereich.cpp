// Parts of JPEGs decoded by libjpeg directly must be the pixels of Qt's full
// decode, for every layout and wherever the part lies.
#include "views/Bildladen.h"
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
