#include "app/Form1.h"
#include "config/FrameSlots.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

namespace {
const QByteArray Beispiel = "[Vorw\xE4rts]\r\nTop=0\r\nLeft=150\r\nWidth=840\r\nHeight=705\r\n"
                            "[Links]\r\nTop=0\r\nLeft=0\r\nWidth=150\r\nHeight=705\r\n"
                            "[Rechts]\r\nTop=0\r\nLeft=990\r\nWidth=150\r\nHeight=705\r\n"
                            "[Zur\xFC"
                            "ck]\r\nTop=705\r\nLeft=0\r\nWidth=1140\r\nHeight=150\r\n";
}

class TestBeispiel final : public QObject
{
    Q_OBJECT

private slots:
    void neueDateiUndLaden()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        zeigen(form);
        QTest::mouseClick(knopf(form, u"Command4"_qs), Qt::LeftButton);
        QCOMPARE(testbilder::lesen(dir.filePath(u"beispielconfig.ini"_qs)), Beispiel);
        QCOMPARE(protokollZeilen(form).last(), u"Beispieldatei erstellt..."_qs);
        QVERIFY(form.findChild<QWidget*>(u"Ladebalken"_qs)->isHidden());
        QVERIFY(framedateien[2].isEmpty()); // written, not put into a slot

        // The chooser offers it from its next opening on; loaded, it gives the sample.
        konfigurationWaehlen(form, u"beispielconfig.ini"_qs);
        QTest::mouseClick(knopf(form, u"Command7_1"_qs), Qt::LeftButton);
        const std::array<FrameRechteck, 4> erwartet = {
            {{0, 150, 840, 705}, {0, 0, 150, 705}, {0, 990, 150, 705}, {705, 0, 1140, 150}}};
        for (size_t i = 0; i < 4; ++i)
            QCOMPARE(form.rechteck(richtungen[i].richtung), erwartet[i]);
    }

    void ueberschreibtNurDieBeispielwerte()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        const QString pfad = dir.filePath(u"beispielconfig.ini"_qs);
        QByteArray bearbeitet = Beispiel;
        bearbeitet.replace("Left=0\r\nWidth=150\r\nHeight=705\r\n[Rechts]",
                           "Left=0\r\nWidth=999\r\nHeight=705\r\nNotiz=eigene\r\n[Rechts]");
        bearbeitet += "[Eigenes]\r\nx=1\r\n";
        schreibeDatei(pfad, bearbeitet);
        Form1 form(dir.path(), QUrl());
        form.Command4_Click();
        form.Command4_Click();
        QByteArray erwartet = Beispiel;
        erwartet.replace("Height=705\r\n[Rechts]", "Height=705\r\nNotiz=eigene\r\n[Rechts]");
        erwartet += "[Eigenes]\r\nx=1\r\n";
        QCOMPARE(testbilder::lesen(pfad), erwartet);
        QCOMPARE(protokollZeilen(form).mid(3),
                 (QStringList{u"Beispieldatei erstellt..."_qs, u"Beispieldatei erstellt..."_qs}));
    }

    void nichtSchreibbar()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        form.Command4_Click();
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        QVERIFY(!QFile::exists(dir.filePath(u"beispielconfig.ini"_qs)));
        const QStringList zeilen = protokollZeilen(form).mid(3);
        QCOMPARE(zeilen.size(), 1);
        QVERIFY(zeilen.front().startsWith(u"Error: "_qs));
        QVERIFY(zeilen.front().contains(u"beispielconfig.ini"_qs));

        // A read-only sample stays as the user left it.
        const QString pfad = dir.filePath(u"beispielconfig.ini"_qs);
        schreibeDatei(pfad, "[Links]\r\nWidth=1\r\n");
        QFile::setPermissions(pfad, QFileDevice::ReadOwner);
        form.Command4_Click();
        QCOMPARE(testbilder::lesen(pfad), QByteArray("[Links]\r\nWidth=1\r\n"));
        QVERIFY(protokollZeilen(form).last().startsWith(u"Error: "_qs));
    }
};

QTEST_MAIN(TestBeispiel)
#include "tst_beispiel.moc"
