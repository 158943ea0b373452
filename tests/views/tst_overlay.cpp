#include "app/Form1.h"
#include "views/Overlay.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace formhelfer;

class TestOverlay final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prog;
    QTemporaryDir m_bilder;

    QLabel* rahmen(const Form1& form, int i)
    {
        return form.findChild<QLabel*>(QStringLiteral("Rahmen_%1").arg(i));
    }
    QCheckBox* check(const Form1& form, int i)
    {
        return form.findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i));
    }
    void bild(const QString& name, int w, int h, const char* format = "BMP")
    {
        testbilder::schreiben(m_bilder.path(), name,
                              testbilder::kodieren(testbilder::fotoaehnlich(w, h, 7), format));
    }
    void config(const QByteArray& inhalt)
    {
        schreibeDatei(m_prog.filePath(u"config.ini"_qs), inhalt);
    }

private slots:
    void rechnung_data()
    {
        QTest::addColumn<QSize>("voll1");
        QTest::addColumn<FrameRechteck>("r");
        QTest::addColumn<QRect>("erwartet");
        const QSize vorschau(630, 473);
        QTest::newRow("Beispiel") << QSize(945, 946) << FrameRechteck{100, 60, 300, 200}
                                  << QRect(40, 50, 200, 100);
        QTest::newRow("gleich gross")
            << vorschau << FrameRechteck{10, 20, 30, 40} << QRect(20, 10, 30, 40);
        QTest::newRow("Hoehe 0") << QSize(945, 946) << FrameRechteck{100, 60, 300, 0}
                                 << QRect(40, 50, 200, 0);
        QTest::newRow("negativ wird 0")
            << QSize(945, 946) << FrameRechteck{-100, -60, -300, -2} << QRect(-40, -50, 0, 0);
        QTest::newRow("ausserhalb")
            << QSize(945, 946) << FrameRechteck{2000, 3000, 30, 20} << QRect(2000, 1000, 20, 10);
    }
    void rechnung()
    {
        QFETCH(QSize, voll1);
        QFETCH(FrameRechteck, r);
        QFETCH(QRect, erwartet);
        QCOMPARE(overlay::aufPixel(overlay::skaliert(r, voll1, QSize(630, 473))), erwartet);
    }

    void init()
    {
        for (QTemporaryDir* d : {&m_prog, &m_bilder})
            for (const QString& n : QDir(d->path()).entryList(QDir::Files))
                QFile::remove(d->filePath(n));
    }

    void vorschauUndBeispielrechnung()
    {
        // 941 x 942 pixels plus the box's frame give the full size 945 x 946.
        config(konfiguration(u"Vorwärts"_qs, 100, 60, 300, 200) +
               konfiguration(u"Rechts"_qs, 10, 10, 0, 50) +
               konfiguration(u"Links"_qs, 10, 10, 50, 0) +
               konfiguration(u"Zurück"_qs, 2000, 3000, 30, 20));
        bild(u"gross.bmp"_qs, 941, 942);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        check(form, 2)->setChecked(true);
        bildDoppelklicken(form, m_bilder.path(), u"gross.bmp"_qs);

        QCOMPARE(protokollZeilen(form).mid(3),
                 (QStringList{u"gross.bmp geladen..."_qs, u"Frames neu berechnet..."_qs}));
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), QSize(945, 946));
        QCOMPARE(rahmen(form, 0)->geometry(), QRect(40, 50, 200, 100));
        QVERIFY(rahmen(form, 0)->isVisible());
        // Rechts without width: hidden, its box disabled and cleared.
        QVERIFY(!rahmen(form, 1)->isVisible());
        QVERIFY(!check(form, 2)->isEnabled());
        QVERIFY(!check(form, 2)->isChecked());
        // Links with width but no height: a frame of height 0, its box usable.
        QVERIFY(rahmen(form, 2)->isVisible());
        QCOMPARE(rahmen(form, 2)->height(), 0);
        QVERIFY(check(form, 1)->isEnabled());
        // Zurück lies outside the visible preview, placed last, in front of all.
        QCOMPARE(rahmen(form, 3)->geometry(), QRect(2000, 1000, 20, 10));
        const QObjectList stapel = rahmen(form, 3)->parent()->children();
        QCOMPARE(stapel.last(), rahmen(form, 3));
        QVERIFY(stapel.indexOf(rahmen(form, 0)) >
                stapel.indexOf(form.findChild<QObject*>(u"Ladebalken"_qs)));

        QVERIFY(form.findChild<QLabel*>(u"Label1"_qs)->isHidden());
        QVERIFY(knopf(form, u"Command5"_qs)->isEnabled());
        QVERIFY(knopf(form, u"Command1"_qs)->isEnabled());
        QVERIFY(knopf(form, u"Command6"_qs)->isEnabled());
        QVERIFY(form.bildgeladen);
    }

    void vorschauGestreckt()
    {
        config(konfiguration(u"Vorwärts"_qs, 0, 0, 10, 10));
        QImage quelle(40, 10, QImage::Format_RGB32);
        quelle.fill(Qt::red);
        for (int y = 0; y < 10; ++y)
            for (int x = 20; x < 40; ++x)
                quelle.setPixel(x, y, qRgb(0, 0, 255));
        testbilder::schreiben(m_bilder.path(), u"breit.bmp"_qs,
                              testbilder::kodieren(quelle, "BMP"));
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"breit.bmp"_qs);
        const QImage gezeigt = form.findChild<QWidget*>(u"Picture3"_qs)->grab().toImage();
        // Stretched over the whole inner area, no letter-boxing at any edge.
        QCOMPARE(QColor(gezeigt.pixel(5, 5)), QColor(Qt::red));
        QCOMPARE(QColor(gezeigt.pixel(5, 460)), QColor(Qt::red));
        QCOMPARE(QColor(gezeigt.pixel(620, 5)), QColor(Qt::blue));
        QCOMPARE(QColor(gezeigt.pixel(620, 460)), QColor(Qt::blue));
    }

    void umschaltenUndNeuLaden()
    {
        config(konfiguration(u"Vorwärts"_qs, 0, 0, 0, 10) +
               konfiguration(u"Rechts"_qs, 0, 0, 5, 5));
        bild(u"a.bmp"_qs, 100, 100);
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"a.bmp"_qs);
        QVERIFY(rahmen(form, 1)->isVisible());
        QVERIFY(!rahmen(form, 0)->isVisible());

        // Vorwärts has no frame, so the button shows all four, then hides all.
        QTest::mouseClick(knopf(form, u"Command5"_qs), Qt::LeftButton);
        for (int i = 0; i < 4; ++i)
            QVERIFY(rahmen(form, i)->isVisible());
        QCOMPARE(rahmen(form, 3)->geometry(), QRect(288, 144, 169, 41)); // design place
        QTest::mouseClick(knopf(form, u"Command5"_qs), Qt::LeftButton);
        for (int i = 0; i < 4; ++i)
            QVERIFY(!rahmen(form, i)->isVisible());

        // A new load shows the frames with a rectangle again.
        bildDoppelklicken(form, m_bilder.path(), u"a.bmp"_qs);
        QVERIFY(rahmen(form, 1)->isVisible());
        QVERIFY(!rahmen(form, 0)->isVisible());
    }

    void fehlendeUndKaputteBilder()
    {
        config(konfiguration(u"Vorwärts"_qs, 0, 0, 10, 10));
        bild(u"weg.bmp"_qs, 20, 20);
        bild(u"gut.jpg"_qs, 30, 30, "JPEG");
        schreibeDatei(m_bilder.filePath(u"kaputt.gif"_qs), "das ist kein Bild");
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_bilder.path());
        QFile::remove(m_bilder.filePath(u"weg.bmp"_qs));
        auto* file1 = form.findChild<QListWidget*>(u"File1"_qs);
        file1->setProperty("fileName", u"weg.bmp"_qs);
        form.File1_DblClick();
        QCOMPARE(protokollZeilen(form).mid(3), QStringList{u"Error: weg.bmp existiert nicht"_qs});
        QVERIFY(!form.findChild<QLabel*>(u"Label1"_qs)->isHidden());
        QVERIFY(!form.bildgeladen);

        file1->setProperty("fileName", u"gut.jpg"_qs);
        form.File1_DblClick();
        const QSize vorher = form.findChild<QWidget*>(u"Picture1"_qs)->size();
        const QRect rahmenVorher = rahmen(form, 0)->geometry();
        const qsizetype zeilen = protokollZeilen(form).size();

        file1->setProperty("fileName", u"kaputt.gif"_qs);
        form.File1_DblClick();
        const QStringList neu = protokollZeilen(form).mid(zeilen);
        QCOMPARE(neu.size(), 1);
        QVERIFY(neu.front().startsWith(u"Error: kaputt.gif"_qs));
        QCOMPARE(form.findChild<QWidget*>(u"Picture1"_qs)->size(), vorher);
        QCOMPARE(rahmen(form, 0)->geometry(), rahmenVorher);
        QVERIFY(form.bildgeladen);
    }

    void ohneSlotEinsBleibenSchnittknoepfeAus()
    {
        bild(u"a.bmp"_qs, 50, 50);
        BoxBeobachter boxen;
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"a.bmp"_qs);
        QVERIFY(knopf(form, u"Command5"_qs)->isEnabled());
        QVERIFY(!knopf(form, u"Command1"_qs)->isEnabled());
        QVERIFY(!knopf(form, u"Command6"_qs)->isEnabled());
        // Every direction lacks a rectangle: all hidden, all boxes off.
        for (int i = 1; i <= 4; ++i)
            QVERIFY(!check(form, i)->isEnabled());
    }

    void slotwechselRechnetNeu()
    {
        config(konfiguration(u"Rechts"_qs, 0, 0, 0, 0));
        schreibeDatei(m_prog.filePath(u"zwei.ini"_qs), konfiguration(u"Rechts"_qs, 10, 20, 30, 40));
        bild(u"a.bmp"_qs, 626, 469); // full size equals the preview: factor 1
        Form1 form(m_prog.path(), QUrl());
        zeigen(form);
        bildDoppelklicken(form, m_bilder.path(), u"a.bmp"_qs);
        QVERIFY(!check(form, 2)->isEnabled());
        konfigurationWaehlen(form, u"zwei.ini"_qs);
        QTest::mouseClick(knopf(form, u"Command7_1"_qs), Qt::LeftButton);
        QVERIFY(check(form, 2)->isEnabled());
        QVERIFY(!check(form, 2)->isChecked());
        QCOMPARE(rahmen(form, 1)->geometry(), QRect(20, 10, 30, 40));
        QCOMPARE(protokollZeilen(form).last(), u"Frames neu berechnet..."_qs);
    }
};

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
