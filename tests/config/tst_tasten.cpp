#include "app/Form1.h"
#include "config/FrameSlots.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

class TestTasten final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Keys go to whatever control has the focus; the window sees them first.
    void taste(Form1& form, Qt::Key k, Qt::KeyboardModifiers mod = {})
    {
        QWidget* ziel = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
        QTest::keyClick(ziel, k, mod);
    }
    QStringList nach(const Form1& form, qsizetype ab) { return protokollZeilen(form).mid(ab); }

private slots:
    void initTestCase()
    {
        schreibeDatei(m_dir.filePath(u"config.ini"_qs), konfiguration(u"Links"_qs, 0, 0, 10, 10));
        for (int i = 2; i <= 10; ++i)
            schreibeDatei(m_dir.filePath(QStringLiteral("s%1.ini").arg(i, 2, 10, QChar(u'0'))),
                          konfiguration(u"Links"_qs, 0, 0, i, 10));
    }

    void ziffern()
    {
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        form.findChild<QListWidget*>(u"File1"_qs)->setFocus();
        konfigurationWaehlen(form, u"s02.ini"_qs);
        form.findChild<QListWidget*>(u"File1"_qs)->setFocus();
        const qsizetype vorher = protokollZeilen(form).size();

        taste(form, Qt::Key_3); // slot 3 is empty
        taste(form, Qt::Key_0);
        taste(form, Qt::Key_2, Qt::KeypadModifier);
        QCOMPARE(nach(form, vorher), QStringList());
        QCOMPARE(form.Frame, qint16(1));

        taste(form, Qt::Key_2);
        QCOMPARE(nach(form, vorher), QStringList{u"Frame 2 wurde ausgewählt"_qs});
        QCOMPARE(form.Links_W, qint16(2));
        taste(form, Qt::Key_1, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(form.Frame, qint16(1));
    }

    void escapeUndUeberschreiben()
    {
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        for (int i = 2; i <= 9; ++i)
            konfigurationWaehlen(form, QStringLiteral("s%1.ini").arg(i, 2, 10, QChar(u'0')));

        // Escape logs even when nothing is pending.
        taste(form, Qt::Key_Escape);
        QCOMPARE(protokollZeilen(form).last(), u"Überschreiben abgebrochen..."_qs);

        {
            BoxBeobachter boxen;
            konfigurationWaehlen(form, u"s10.ini"_qs);
        }
        QVERIFY(form.frameauswahl);
        taste(form, Qt::Key_5);
        QCOMPARE(framedateien[5], u"s10.ini"_qs);
        QCOMPARE(protokollZeilen(form).last(), u"Datei 's10.ini' auf Framenummer 5 eingelesen."_qs);
        QVERIFY(!form.frameauswahl);

        {
            BoxBeobachter boxen;
            konfigurationWaehlen(form, u"s09.ini"_qs);
        }
        taste(form, Qt::Key_Escape);
        QVERIFY(!form.frameauswahl);
        QCOMPARE(framedateien[10], u"s09.ini"_qs); // kept, never used
        QCOMPARE(framedateien[5], u"s10.ini"_qs);
        taste(form, Qt::Key_5);
        QCOMPARE(protokollZeilen(form).last(), u"Frame 5 wurde ausgewählt"_qs);
        QCOMPARE(form.Links_W, qint16(10));
    }

    void hSchaltetRahmen()
    {
        Form1 form(m_dir.path(), QUrl());
        zeigen(form);
        // Before any picture the button is disabled, yet H shows the frames
        // at their design places, and hides them again.
        QVERIFY(!knopf(form, u"Command5"_qs)->isEnabled());
        taste(form, Qt::Key_H);
        for (int i = 0; i < 4; ++i)
            QVERIFY(form.findChild<QLabel*>(QStringLiteral("Rahmen_%1").arg(i))->isVisible());
        taste(form, Qt::Key_H, Qt::ShiftModifier);
        for (int i = 0; i < 4; ++i)
            QVERIFY(!form.findChild<QLabel*>(QStringLiteral("Rahmen_%1").arg(i))->isVisible());
    }

    void enterSchneidetAuchBeiGesperrtemKnopf()
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
        QVERIFY(!knopf(form, u"Command1"_qs)->isEnabled());
        taste(form, Qt::Key_Return);
        QCOMPARE(protokollZeilen(form).last(), u"Bild LINKS erstellt"_qs);
        QVERIFY(QFile::exists(m_dir.filePath(u"ausgeschnitten/x_L.bmp"_qs)));
    }
};

QTEST_MAIN(TestTasten)
#include "tst_tasten.moc"
