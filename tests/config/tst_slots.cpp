#include "app/Form1.h"
#include "config/FrameSlots.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

namespace {
const QString Besetzt =
    u"Alle Frameplätze sind besetzt, bitte wähle einen aus um ihn  zu überschreiben oder "
    u"drücke 'ESC' um abzubrechen"_qs;

bool hervorgehoben(const QPushButton* k)
{
    return k->palette().color(QPalette::Button) == k->palette().color(QPalette::Highlight);
}
} // namespace

class TestSlots final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A program folder with "config.ini" (when asked for) and f2.ini … f12.ini,
    // file fN giving the Links rectangle a width of N.
    void ordnerFuellen(bool mitConfig)
    {
        for (int n = 1; n <= 12; ++n)
            schreibeDatei(m_dir.filePath(QStringLiteral("f%1.ini").arg(n, 2, 10, QChar(u'0'))),
                          konfiguration(u"Links"_qs, 1, 2, n, 4));
        if (mitConfig)
            schreibeDatei(m_dir.filePath(u"config.ini"_qs),
                          konfiguration(u"Links"_qs, 5, 6, 70, 8));
    }

    static QString f(int n) { return QStringLiteral("f%1.ini").arg(n, 2, 10, QChar(u'0')); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void startMitConfig()
    {
        ordnerFuellen(true);
        BoxBeobachter boxen;
        Form1 form(m_dir.path(), QUrl());
        QVERIFY(boxen.boxen().isEmpty());
        QPushButton* eins = knopf(form, u"Command7_0"_qs);
        QVERIFY(!eins->isHidden());
        QCOMPARE(eins->text(), u"1"_qs);
        QVERIFY(hervorgehoben(eins));
        QCOMPARE(form.Frame, qint16(1));
        QCOMPARE(framedateien[1], u"config.ini"_qs);
        QCOMPARE(form.Links_W, qint16(70));
        QCOMPARE(protokollZeilen(form).size(), 3); // no line about slot 1
        QVERIFY(!knopf(form, u"Command1"_qs)->isEnabled());
        QVERIFY(knopf(form, u"Command6"_qs)->isEnabled());
    }

    void startOhneConfig()
    {
        ordnerFuellen(false);
        BoxBeobachter boxen;
        Form1 form(m_dir.path(), QUrl());
        QCOMPARE(boxen.boxen().size(), 1);
        const GeseheneBox& box = boxen.boxen().front();
        QCOMPARE(box.text, u"Bitte INI-Datei einlesen!"_qs);
        QCOMPARE(box.titel, u"Sichtwerk"_qs);
        QCOMPARE(box.symbol, QMessageBox::NoIcon);
        QCOMPARE(box.knoepfe, 1);
        QVERIFY(!knopf(form, u"Command1"_qs)->isEnabled());
        QVERIFY(!knopf(form, u"Command6"_qs)->isEnabled());
        QVERIFY(knopf(form, u"Command7_0"_qs)->isHidden());
        QCOMPARE(form.Frame, qint16(1));

        // The first picked file goes into slot 1 and is selected at once.
        zeigen(form);
        konfigurationWaehlen(form, f(3));
        QVERIFY(form.findChild<QWidget*>(u"Picture4"_qs)->isHidden());
        QCOMPARE(framedateien[1], f(3));
        const QStringList zeilen = protokollZeilen(form);
        QCOMPARE(zeilen.mid(3), (QStringList{u"Datei 'f03.ini' auf Framenummer 1 eingelesen."_qs,
                                             u"Frame 1 wurde ausgewählt"_qs}));
        QVERIFY(!knopf(form, u"Command7_0"_qs)->isHidden());
        QVERIFY(hervorgehoben(knopf(form, u"Command7_0"_qs)));
        QCOMPARE(form.Links_W, qint16(3));
    }

    void slotsZweiBisNeun()
    {
        ordnerFuellen(true);
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        auto* label2 = form.findChild<QLabel*>(u"Label2"_qs);
        const int hoeheVorher = label2->height();
        const QPushButton* eins = knopf(form, u"Command7_0"_qs);
        for (int slot = 2; slot <= 9; ++slot) {
            konfigurationWaehlen(form, f(slot));
            QCOMPARE(framedateien[slot], f(slot));
            QCOMPARE(
                protokollZeilen(form).last(),
                QStringLiteral("Datei '%1' auf Framenummer %2 eingelesen.").arg(f(slot)).arg(slot));
        }
        for (int slot = 2; slot <= 9; ++slot) {
            QPushButton* k = knopf(form, QStringLiteral("Command7_%1").arg(slot - 1));
            QVERIFY(k);
            QVERIFY(k->isVisible());
            QCOMPARE(k->text(), QString::number(slot));
            QCOMPARE(k->geometry(), eins->geometry().translated(0, 35 * (slot - 1)));
            QVERIFY(!hervorgehoben(k));
        }
        QCOMPARE(label2->height(), hoeheVorher + 8 * 37);
        QCOMPARE(form.Frame, qint16(1));
        QVERIFY(hervorgehoben(eins));
        QCOMPARE(form.Links_W, qint16(70)); // slot 1 still loaded

        // Selecting a slot moves the highlight and loads its file.
        QTest::mouseClick(knopf(form, u"Command7_4"_qs), Qt::LeftButton);
        QCOMPARE(form.Frame, qint16(5));
        QCOMPARE(form.Links_W, qint16(5));
        QCOMPARE(protokollZeilen(form).last(), u"Frame 5 wurde ausgewählt"_qs);
        QVERIFY(!hervorgehoben(eins));
        QVERIFY(hervorgehoben(knopf(form, u"Command7_4"_qs)));
    }

    void ueberschreiben()
    {
        ordnerFuellen(true);
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        for (int slot = 2; slot <= 9; ++slot)
            konfigurationWaehlen(form, f(slot));
        QTest::mouseClick(knopf(form, u"Command7_2"_qs), Qt::LeftButton); // select slot 3
        const int zeilenVorher = static_cast<int>(protokollZeilen(form).size());

        {
            BoxBeobachter boxen;
            konfigurationWaehlen(form, f(10));
            QCOMPARE(boxen.boxen().size(), 1);
            QCOMPARE(boxen.boxen().front().text, Besetzt);
            QCOMPARE(boxen.boxen().front().titel, u"Sichtwerk"_qs);
            QCOMPARE(boxen.boxen().front().knoepfe, 1);
            QCOMPARE(boxen.boxen().front().symbol, QMessageBox::NoIcon);
        }
        QVERIFY(form.frameauswahl);
        QCOMPARE(framedateien[10], f(10));
        QCOMPARE(protokollZeilen(form).size(), zeilenVorher); // no line, no change

        {
            // A second file while the choice is pending becomes the waiting one.
            BoxBeobachter boxen;
            konfigurationWaehlen(form, f(11));
            QCOMPARE(boxen.boxen().size(), 1);
        }
        QCOMPARE(framedateien[10], f(11));

        QTest::mouseClick(knopf(form, u"Command7_2"_qs), Qt::LeftButton);
        QVERIFY(!form.frameauswahl);
        QCOMPARE(framedateien[3], f(11));
        QVERIFY(framedateien[10].isEmpty());
        QCOMPARE(protokollZeilen(form).last(), u"Datei 'f11.ini' auf Framenummer 3 eingelesen."_qs);
        // Slot 3 is selected but keeps the replaced file's rectangles until selected again.
        QCOMPARE(form.Frame, qint16(3));
        QCOMPARE(form.Links_W, qint16(3));
        QTest::mouseClick(knopf(form, u"Command7_2"_qs), Qt::LeftButton);
        QCOMPARE(form.Links_W, qint16(11));
    }

    void gleicherSlotLaedtNeu()
    {
        ordnerFuellen(true);
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        schreibeDatei(m_dir.filePath(u"config.ini"_qs), konfiguration(u"Rechts"_qs, 1, 1, 9, 9));
        QTest::mouseClick(knopf(form, u"Command7_0"_qs), Qt::LeftButton);
        QCOMPARE(form.Links_W, qint16(0));
        QCOMPARE(form.Rechts_W, qint16(9));
        QCOMPARE(protokollZeilen(form).last(), u"Frame 1 wurde ausgewählt"_qs);
    }

    void gleicheDateiZweimal()
    {
        ordnerFuellen(true);
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        konfigurationWaehlen(form, f(2));
        konfigurationWaehlen(form, f(2));
        QCOMPARE(framedateien[2], f(2));
        QCOMPARE(framedateien[3], f(2));
    }

    void auswahlfeldOeffnenUndSchliessen()
    {
        ordnerFuellen(true);
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        QWidget* panel = form.findChild<QWidget*>(u"Picture4"_qs);
        schreibeDatei(m_dir.filePath(u"spaeter.ini"_qs), "");
        QTest::mouseClick(knopf(form, u"Command3"_qs), Qt::LeftButton);
        QVERIFY(panel->isVisible());
        auto* file2 = form.findChild<QListWidget*>(u"File2"_qs);
        QCOMPARE(file2->findItems(u"spaeter.ini"_qs, Qt::MatchExactly).size(), 1);
        QTest::mouseClick(knopf(form, u"Command8"_qs), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
    }
};

QTEST_MAIN(TestSlots)
#include "tst_slots.moc"
