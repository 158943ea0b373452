#include "app/Form1.h"
#include "config/FrameKonfig.h"
#include "config/FrameSlots.h"

#include "Dialoghelfer.h"

#include <QTemporaryDir>
#include <QTest>

class TestFrameConfig final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void zahlen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("erwartet"); // -99999: no value

        QTest::newRow("ganz") << "150" << 150;
        QTest::newRow("negativ") << "-20" << -20;
        QTest::newRow("Blanks") << " 42 " << 42;
        QTest::newRow("Bruch aufrunden") << "150,6" << 151;
        QTest::newRow("halb zur geraden abwaerts") << "150,5" << 150;
        QTest::newRow("halb zur geraden aufwaerts") << "151,5" << 152;
        QTest::newRow("negativ halb") << "-2,5" << -2;
        QTest::newRow("Grenze oben") << "32767" << 32767;
        QTest::newRow("Grenze unten") << "-32768" << -32768;
        QTest::newRow("zu gross") << "32768" << -99999;
        QTest::newRow("zu klein") << "-32769" << -99999;
        QTest::newRow("gerundet zu gross") << "32767,5" << -99999;
        QTest::newRow("Buchstaben") << "abc" << -99999;
        QTest::newRow("leer") << "" << -99999;
        QTest::newRow("Zahl mit Rest") << "12px" << -99999;
    }
    void zahlen()
    {
        QFETCH(QString, text);
        QFETCH(int, erwartet);
        const std::optional<qint16> z = frames::zahlLesen(text);
        QCOMPARE(z.has_value() ? int(*z) : -99999, erwartet);
    }

    void englischerPunkt()
    {
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(frames::zahlLesen(u"150.5"_qs, en).value_or(-1), 150);
        QCOMPARE(frames::zahlLesen(u"150,5"_qs, en).has_value(), false);
    }

    void ladenNachSektionenUndSchluesseln()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"f.ini"_qs);
        // Keys and sections in another order than they are read, mixed case.
        schreibeDatei(pfad, "[Links]\r\nheight=4\r\nWidth=40000\r\nTop=abc\r\nLeft=-20\r\n"
                            "[Vorw\xE4rts]\r\nHeight=705\r\nWidth=840\r\nLeft=150\r\nTop=0\r\n");
        const auto r = frames::laden(pfad);
        QCOMPARE(r[0], (FrameRechteck{0, 150, 840, 705}));
        QCOMPARE(r[1], (FrameRechteck{0, -20, 0, 4})); // width out of range reads 0
        QCOMPARE(r[2], FrameRechteck{});
        QCOMPARE(r[3], FrameRechteck{});
        const auto keine = frames::laden(dir.filePath(u"fehlt.ini"_qs));
        for (const FrameRechteck& f : keine)
            QCOMPARE(f, FrameRechteck{});
    }

    void holConfigLeertZwischenLadungen()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs),
                      "[Rechts]\r\nTop=1\r\nLeft=2\r\nWidth=3\r\nHeight=4\r\n"
                      "[Zur\xFC"
                      "ck]\r\nTop=705\r\nLeft=0\r\nWidth=1140\r\nHeight=150\r\n");
        schreibeDatei(dir.filePath(u"zwei.ini"_qs), "[Rechts]\r\nTop=9\r\nLeft=8\r\nWidth=7\r\n");
        Form1 form(dir.path(), QUrl());
        QCOMPARE(form.Rechts_H, qint16(4));
        QCOMPARE(form.Zurück_T, qint16(705));
        QCOMPARE(form.Zurück_W, qint16(1140));

        framedateien[2] = u"zwei.ini"_qs;
        form.HolConfig(2);
        QCOMPARE(form.Rechts_T, qint16(9));
        QCOMPARE(form.Rechts_W, qint16(7));
        QCOMPARE(form.Rechts_H, qint16(0));
        QCOMPARE(form.Zurück_W, qint16(0));

        form.HolConfig(11); // no such slot: everything cleared
        QCOMPARE(form.rechteck(Richtung::Rechts), FrameRechteck{});
        form.HolConfig(1);
        QCOMPARE(form.Rechts_W, qint16(3));
    }
};

QTEST_MAIN(TestFrameConfig)
#include "tst_frameconfig.moc"
