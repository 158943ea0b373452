// The overview window on the real main window: opened by its button, built
// in the background, following folder and direction, stopped by Escape,
// previewing a clicked picture, and saving the sheet the command line writes.

#include "app/Form1.h"
#include "app/Uebersicht.h"
#include "views/Blatt.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace formhelfer;

class TestUebersichtsfenster final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prog;
    std::unique_ptr<Form1> m_form;

    QString bilder() const { return m_prog->filePath(u"bilder"_qs); }
    void bild(const QString& name, int w, int h, const char* format, quint32 saat = 1)
    {
        testbilder::schreiben(
            bilder(), name, testbilder::kodieren(testbilder::fotoaehnlich(w, h, saat), format, 90));
    }
    // The main window on the folder of pictures, its overview opened by the button.
    Uebersicht* oeffnen()
    {
        m_form = std::make_unique<Form1>(m_prog->path(), QUrl());
        zeigen(*m_form);
        m_form->findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", bilder());
        QTest::mouseClick(knopf(*m_form, u"Command9"_qs), Qt::LeftButton);
        return m_form->findChild<Uebersicht*>(u"Uebersicht"_qs);
    }
    static bool fertig(const Uebersicht* u)
    {
        for (int i = 0; i < u->anzahl(); ++i)
            if (!u->kachel(i))
                return false;
        return !u->baut();
    }

private slots:
    void init()
    {
        m_prog = std::make_unique<QTemporaryDir>();
        schreibeDatei(m_prog->filePath(u"config.ini"_qs),
                      konfiguration(u"Links"_qs, 0, 0, 100, 300) +
                          konfiguration(u"Rechts"_qs, 20, 300, 300, 200));
        QDir(m_prog->path()).mkdir(u"bilder"_qs);
        bild(u"a.jpg"_qs, 640, 480, "JPEG", 1);
        bild(u"b.png"_qs, 640, 480, "PNG", 2);
        bild(u"klein.png"_qs, 200, 150, "PNG", 3); // no frame fits
    }
    void cleanup() { m_form.reset(); }

    // Rechts comes before Links in the overlay's order; Vorwärts has no frame.
    // Direction, slot and folder each build the grid anew.
    void oeffnetUndFolgt()
    {
        Uebersicht* u = oeffnen();
        QVERIFY(u);
        QVERIFY(QTest::qWaitForWindowExposed(u));
        QCOMPARE(u->windowTitle(), u"Übersicht"_qs);
        auto* richtung = u->findChild<QComboBox*>(u"Richtung"_qs);
        QCOMPARE(richtung->currentText(), u"Rechts"_qs);
        QTRY_VERIFY(fertig(u));
        QCOMPARE(u->anzahl(), 3);
        QCOMPARE(u->kachel(0)->name, u"a.jpg"_qs);
        QCOMPARE(u->kachel(0)->bild.size(), QSize(120 * 3 / 2, 120));
        QVERIFY(!u->kachel(1)->rot());
        QVERIFY(u->kachel(2)->rot());
        QCOMPARE(u->findChild<QLabel*>(u"Zustand"_qs)->text(),
                 u"3 Bilder, 1 passt nicht oder ist nicht lesbar"_qs);

        richtung->setCurrentText(u"Links"_qs);
        QTRY_VERIFY(fertig(u));
        QCOMPARE(u->kachel(0)->bild.size(), QSize(40, 120));

        // Slot 2 has only Vorwärts: the chooser goes there, the tiles take its shape.
        schreibeDatei(m_prog->filePath(u"zwei.ini"_qs),
                      konfiguration(u"Vorwärts"_qs, 0, 0, 400, 200));
        konfigurationWaehlen(*m_form, u"zwei.ini"_qs);
        QTest::mouseClick(knopf(*m_form, u"Command7_1"_qs), Qt::LeftButton);
        QCOMPARE(richtung->currentText(), u"Vorwärts"_qs);
        QTRY_VERIFY(fertig(u));
        QCOMPARE(u->kachel(0)->bild.size(), QSize(240, 120));

        QDir(m_prog->path()).mkdir(u"zwei"_qs);
        bild(u"../zwei/z.jpg"_qs, 640, 480, "JPEG", 5);
        m_form->findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", m_prog->filePath(u"zwei"_qs));
        QTRY_VERIFY(fertig(u));
        QCOMPARE(u->anzahl(), 1);
        QCOMPARE(u->kachel(0)->name, u"z.jpg"_qs);
    }

    // As a double-click on the name in File1: selected there and previewed.
    void klickZeigtImHauptfenster()
    {
        Uebersicht* u = oeffnen();
        QTRY_VERIFY(fertig(u));
        auto* feld = u->findChild<QWidget*>(u"Kacheln"_qs);
        const schnitt::Blattlayout layout =
            schnitt::Blattlayout::fuerBreite(feld->width(), u->kachel(0)->bild.width(), 120);
        QTest::mouseClick(feld, Qt::LeftButton, {}, layout.kachelbox(1).center());
        QCOMPARE(m_form->findChild<QListWidget*>(u"File1"_qs)->property("fileName").toString(),
                 u"b.png"_qs);
        QVERIFY(m_form->bildgeladen);
        const QStringList zeilen = protokollZeilen(*m_form);
        QVERIFY(zeilen.contains(u"b.png geladen..."_qs));
    }

    void escapeHaeltAn()
    {
        for (int i = 0; i < 40; ++i)
            bild(u"viele%1.png"_qs.arg(i, 2, 10, QChar(u'0')), 1600, 1200, "PNG", quint32(i));
        Uebersicht* u = oeffnen();
        QVERIFY(QTest::qWaitForWindowExposed(u));
        QVERIFY(u->baut());
        QTest::keyClick(u, Qt::Key_Escape);
        QTRY_VERIFY(!u->baut());
        int gemacht = 0;
        for (int i = 0; i < u->anzahl(); ++i)
            gemacht += u->kachel(i) != nullptr;
        QVERIFY2(gemacht < u->anzahl(), qPrintable(QString::number(gemacht)));
        QCOMPARE(u->findChild<QLabel*>(u"Zustand"_qs)->text(),
                 u"Angehalten: %1 von 43 Bildern"_qs.arg(gemacht));
    }

    // "Als Bild speichern" through its file dialog, against sichtwerk-schnitt.
    void speichertWieKommandozeile()
    {
        Uebersicht* u = oeffnen();
        QTRY_VERIFY(fertig(u));
        const QString fenster = m_prog->filePath(u"fenster"_qs); // ".png" is added
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(fenster);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(u->findChild<QPushButton*>(u"Speichern"_qs), Qt::LeftButton);
        QVERIFY(protokollZeilen(*m_form).contains(
            u"Übersicht gespeichert: %1.png"_qs.arg(QDir::toNativeSeparators(fenster))));

        QProcess p;
        p.start(QStringLiteral(SICHTWERK_SCHNITT),
                {u"--config"_qs, m_prog->filePath(u"config.ini"_qs), u"--uebersicht"_qs, u"R"_qs,
                 u"--blatt"_qs, m_prog->filePath(u"zeile.png"_qs), bilder()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1); // klein.png
        const QImage zeile(m_prog->filePath(u"zeile.png"_qs));
        QVERIFY(!zeile.isNull());
        QCOMPARE(testbilder::ersterUnterschied(QImage(fenster + u".png"_qs), zeile), QString());
    }
};

QTEST_MAIN(TestUebersichtsfenster)
#include "tst_uebersichtsfenster.moc"
