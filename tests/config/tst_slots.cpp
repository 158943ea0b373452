// The nine frame slots, the keys of the main window and the sample file,
// driven through the real controls.

#include "app/Form1.h"
#include "config/FrameSlots.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

namespace {

bool hervorgehoben(const QPushButton* k)
{
    return k->palette().color(QPalette::Button) == k->palette().color(QPalette::Highlight);
}

QString f(int n)
{
    return QStringLiteral("f%1.ini").arg(n, 2, 10, QChar(u'0'));
}

// Keys go to whatever control has the focus; the window sees them first.
void taste(Form1& form, Qt::Key k, Qt::KeyboardModifiers mod = {})
{
    QWidget* ziel = QApplication::focusWidget();
    QTest::keyClick(ziel ? ziel : &form, k, mod);
}

} // namespace

class TestSlots final : public QObject
{
    Q_OBJECT

    // config.ini gives Links a width of 70, each fNN.ini a width of NN.
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        schreibeDatei(m_dir.filePath(u"config.ini"_qs), konfiguration(u"Links"_qs, 5, 6, 70, 8));
        for (int n = 2; n <= 11; ++n)
            schreibeDatei(m_dir.filePath(f(n)), konfiguration(u"Links"_qs, 1, 2, n, 4));
    }

    void start_data()
    {
        QTest::addColumn<bool>("mitConfig");
        QTest::newRow("mit config.ini") << true;
        QTest::newRow("ohne config.ini") << false;
    }
    void start()
    {
        QFETCH(bool, mitConfig);
        QTemporaryDir dir;
        if (mitConfig)
            schreibeDatei(dir.filePath(u"config.ini"_qs), konfiguration(u"Links"_qs, 1, 1, 70, 1));
        BoxBeobachter boxen;
        Form1 form(dir.path(), QUrl());
        QPushButton* eins = knopf(form, u"Command7_0"_qs);
        if (mitConfig) {
            QVERIFY(boxen.boxen().isEmpty());
            QVERIFY(!eins->isHidden());
            QVERIFY(hervorgehoben(eins));
            QCOMPARE(framedateien[1], u"config.ini"_qs);
            QCOMPARE(form.Links_W, qint16(70));
        } else {
            QCOMPARE(boxen.boxen().size(), 1);
            const GeseheneBox& box = boxen.boxen().front();
            QCOMPARE(box.text, u"Bitte INI-Datei einlesen!"_qs);
            QCOMPARE(box.titel, u"Sichtwerk"_qs);
            QCOMPARE(box.symbol, QMessageBox::NoIcon);
            QCOMPARE(box.knoepfe, QMessageBox::Ok);
            QVERIFY(eins->isHidden());
        }
        QCOMPARE(form.Frame, qint16(1));
        QVERIFY(!knopf(form, u"Command1"_qs)->isEnabled()); // no picture yet
        QCOMPARE(knopf(form, u"Command6"_qs)->isEnabled(), mitConfig);
    }

    void slotsUndZiffern()
    {
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        auto* label2 = form.findChild<QLabel*>(u"Label2"_qs);
        const int hoehe = label2->height();
        QPushButton* eins = knopf(form, u"Command7_0"_qs);
        eins->setFocus();
        taste(form, Qt::Key_9); // slot 9 still empty
        QCOMPARE(protokollZeilen(form).size(), 3);

        for (int slot = 2; slot <= 9; ++slot) {
            konfigurationWaehlen(form, f(slot));
            QCOMPARE(
                protokollZeilen(form).last(),
                QStringLiteral("Datei '%1' auf Framenummer %2 eingelesen.").arg(f(slot)).arg(slot));
            QPushButton* k = knopf(form, QStringLiteral("Command7_%1").arg(slot - 1));
            QVERIFY(k && k->isVisible());
            QCOMPARE(k->text(), QString::number(slot));
            QCOMPARE(k->geometry(), eins->geometry().translated(0, 35 * (slot - 1)));
            QVERIFY(!hervorgehoben(k));
        }
        QCOMPARE(label2->height(), hoehe + 8 * 37);
        QCOMPARE(form.Frame, qint16(1));
        QVERIFY(hervorgehoben(eins));
        QCOMPARE(form.Links_W, qint16(70));

        // Digits select filled slots only; 0 and the keypad's digits do nothing.
        eins->setFocus();
        const qsizetype vorher = protokollZeilen(form).size();
        taste(form, Qt::Key_0);
        taste(form, Qt::Key_2, Qt::KeypadModifier);
        QCOMPARE(protokollZeilen(form).size(), vorher);
        taste(form, Qt::Key_5);
        QCOMPARE(protokollZeilen(form).mid(vorher), QStringList{u"Frame 5 wurde ausgewählt"_qs});
        QCOMPARE(form.Links_W, qint16(5));
        QVERIFY(hervorgehoben(knopf(form, u"Command7_4"_qs)));
        // Filled to its corners, as the first slot's button is.
        QCOMPARE(knopf(form, u"Command7_4"_qs)->grab().toImage().pixelColor(0, 0),
                 form.palette().color(QPalette::Highlight));
        QVERIFY(!hervorgehoben(eins));
        // Keys typed into another window are not the main window's commands; they reach it.
        QLineEdit anderes;
        anderes.show();
        QTest::keyClicks(&anderes, u"2"_qs);
        QCOMPARE(anderes.text(), u"2"_qs);
        QCOMPARE(form.Links_W, qint16(5));
        taste(form, Qt::Key_1);
        QCOMPARE(protokollZeilen(form).last(), u"Frame 1 wurde ausgewählt"_qs);
        QCOMPARE(form.Links_W, qint16(70));
    }

    void ueberschreibenUndEscape()
    {
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        for (int slot = 2; slot <= 9; ++slot)
            konfigurationWaehlen(form, f(slot));
        QTest::mouseClick(knopf(form, u"Command7_4"_qs), Qt::LeftButton);
        const qsizetype vorher = protokollZeilen(form).size();
        {
            BoxBeobachter boxen;
            konfigurationWaehlen(form, f(10));
            QCOMPARE(boxen.boxen().size(), 1);
            QCOMPARE(boxen.boxen().front().text,
                     u"Alle Frameplätze sind besetzt, bitte wähle einen aus um ihn  zu "
                     u"überschreiben oder drücke 'ESC' um abzubrechen"_qs);
            QCOMPARE(boxen.boxen().front().titel, u"Sichtwerk"_qs);
        }
        // Only the nine slots' own numbers take the waiting file.
        form.Command7_Click(9);
        form.Command7_Click(-1);
        QVERIFY(form.frameauswahl);
        QCOMPARE(framedateien[10], f(10));
        QCOMPARE(protokollZeilen(form).size(), vorher);

        taste(form, Qt::Key_Escape);
        QVERIFY(!form.frameauswahl);
        QCOMPARE(protokollZeilen(form).last(), u"Überschreiben abgebrochen..."_qs);

        {
            // A second file while the choice is pending becomes the waiting one.
            BoxBeobachter boxen;
            konfigurationWaehlen(form, f(10));
            konfigurationWaehlen(form, f(11));
            QCOMPARE(boxen.boxen().size(), 2);
        }
        QCOMPARE(framedateien[10], f(11));
        QTest::mouseClick(knopf(form, u"Command7_4"_qs), Qt::LeftButton);
        QVERIFY(!form.frameauswahl);
        QCOMPARE(framedateien[5], f(11));
        QCOMPARE(protokollZeilen(form).last(), u"Datei 'f11.ini' auf Framenummer 5 eingelesen."_qs);
        QCOMPARE(form.Links_W, qint16(5));
        // Selecting the selected slot again loads its file anew.
        QTest::mouseClick(knopf(form, u"Command7_4"_qs), Qt::LeftButton);
        QCOMPARE(form.Links_W, qint16(11));
        QCOMPARE(protokollZeilen(form).last(), u"Frame 5 wurde ausgewählt"_qs);
    }

    void enterUndH()
    {
        QTemporaryDir bilder;
        testbilder::schreiben(bilder.path(), u"x.bmp"_qs,
                              testbilder::kodieren(testbilder::fotoaehnlich(30, 30, 1), "BMP"));
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", bilder.path());
        auto* file1 = form.findChild<QListWidget*>(u"File1"_qs);
        file1->setProperty("fileName", u"x.bmp"_qs);
        file1->setFocus();
        form.findChild<QWidget*>(u"Check1"_qs)->setProperty("checked", true);
        // Enter cuts even while the button is disabled.
        QVERIFY(!knopf(form, u"Command1"_qs)->isEnabled());
        taste(form, Qt::Key_Return);
        QCOMPARE(protokollZeilen(form).last(2),
                 (QStringList{u"Bild LINKS erstellt"_qs,
                              u"Ansichten in "_qs +
                                  QDir::toNativeSeparators(m_dir.filePath(u"ausgeschnitten"_qs))}));
        QVERIFY(QFile::exists(m_dir.filePath(u"ausgeschnitten/x_L.bmp"_qs)));
        // A single cut leaves no "last picture": the next one repeats its heading.
        QVERIFY(form.letztedatei.isEmpty());

        auto rahmenSichtbar = [&] { return form.findChild<QLabel*>(u"Rahmen_0"_qs)->isVisible(); };
        taste(form, Qt::Key_H);
        QVERIFY(rahmenSichtbar());
        taste(form, Qt::Key_H, Qt::ShiftModifier);
        QVERIFY(!rahmenSichtbar());
    }

    // The file chooser lies in front of the preview and hides it: a picture
    // on show beneath does not shine through its margins.
    void dateiwahlDecktDieVorschau()
    {
        QTemporaryDir bilder;
        testbilder::schreiben(bilder.path(), u"x.bmp"_qs,
                              testbilder::kodieren(testbilder::fotoaehnlich(630, 470, 3), "BMP"));
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, bilder.path(), u"x.bmp"_qs);
        QTest::mouseClick(knopf(form, u"Command3"_qs), Qt::LeftButton);
        auto* panel = form.findChild<QWidget*>(u"Picture4"_qs);
        QVERIFY(panel->isVisible());
        const QImage bild = form.grab().toImage();
        // The margin left of the list, from the caption down to the note.
        const QWidget* liste = form.findChild<QWidget*>(u"File2"_qs);
        const QPoint oben = liste->mapTo(&form, QPoint(-8, 0));
        const QRgb hintergrund = panel->palette().color(QPalette::Window).rgb();
        for (int y = oben.y(); y < oben.y() + liste->height(); ++y) {
            for (int x = oben.x(); x < oben.x() + 6; ++x)
                QVERIFY2(bild.pixel(x, y) == hintergrund,
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        }
        // The caption has room for its letters.
        const auto* titel = form.findChild<QLabel*>(u"Label3"_qs);
        QVERIFY(titel->fontMetrics().height() <= titel->height());
    }

    void beispieldatei()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        const QString pfad = dir.filePath(u"beispielconfig.ini"_qs);
        const QByteArray beispiel = beispielKonfiguration();
        Form1 form(dir.path(), QUrl());
        QTest::mouseClick(knopf(form, u"Command4"_qs), Qt::LeftButton);
        QCOMPARE(testbilder::lesen(pfad), beispiel);

        // Written again over the user's edits: the sample values come back,
        // everything the user added stays.
        QByteArray bearbeitet = beispiel;
        bearbeitet.replace("Width=150\r\nHeight=705\r\n[Rechts]",
                           "Width=999\r\nHeight=705\r\nNotiz=eigene\r\n[Rechts]");
        schreibeDatei(pfad, bearbeitet + "[Eigenes]\r\nx=1\r\n");
        QTest::mouseClick(knopf(form, u"Command4"_qs), Qt::LeftButton);
        QByteArray erwartet = beispiel;
        erwartet.replace("Height=705\r\n[Rechts]", "Height=705\r\nNotiz=eigene\r\n[Rechts]");
        QCOMPARE(testbilder::lesen(pfad), erwartet + "[Eigenes]\r\nx=1\r\n");
        QCOMPARE(protokollZeilen(form).mid(3),
                 (QStringList{u"Beispieldatei erstellt..."_qs, u"Beispieldatei erstellt..."_qs}));

        QFile::remove(pfad);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QTest::mouseClick(knopf(form, u"Command4"_qs), Qt::LeftButton);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        QVERIFY(!QFile::exists(pfad));
        const QStringList neu = protokollZeilen(form).mid(5);
        QCOMPARE(neu.size(), 1);
        QVERIFY(neu.front().startsWith(u"Error: "_qs));
        QVERIFY(neu.front().contains(u"beispielconfig.ini"_qs));
    }
};

QTEST_MAIN(TestSlots)
#include "tst_slots.moc"
