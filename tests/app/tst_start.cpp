#include "app/Form1.h"

#include "Dialoghelfer.h"
#include "TestHttpServer.h"
#include "update/Form3.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class TestStart final : public QObject
{
    Q_OBJECT

    static QRect twips(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("klasse");
        QTest::addColumn<QString>("eltern");
        QTest::addColumn<QRect>("lage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sichtbar");
        QTest::addColumn<bool>("aktiv");

        auto zeile = [](const char* n, const char* k, const char* e, QRect r, const QString& t,
                        bool s, bool a) { QTest::newRow(n) << n << k << e << r << t << s << a; };
        zeile("Picture4", "Bildfeld", "Form1", twips(3240, 2040, 6735, 5295), {}, false, true);
        zeile("Command8", "QPushButton", "Picture4", twips(6240, 120, 375, 375), "X", true, true);
        zeile("File2", "DateiListe", "Picture4", twips(360, 600, 5895, 4185), {}, true, true);
        zeile("Label4", "QLabel", "Picture4", twips(360, 4920, 5895, 255),
              "(Datei muss sich im Programmordner befinden)", true, true);
        zeile("Label3", "QLabel", "Picture4", twips(480, 120, 5775, 375), "Bitte Datei auswählen",
              true, true);
        zeile("Command6", "QPushButton", "Form1", twips(11040, 2640, 2535, 525),
              "Alle ausschneiden", true, true);
        zeile("Command5", "QPushButton", "Form1", twips(11040, 240, 2535, 525),
              "Rahmen (un-)sichtbar machen", true, false);
        zeile("Text1", "Protokollfeld", "Form1", twips(360, 7560, 3975, 2340), {}, true, true);
        zeile("Command4", "QPushButton", "Form1", twips(11040, 840, 2535, 525),
              "Beispieldatei erstellen", true, true);
        zeile("Command3", "QPushButton", "Form1", twips(11040, 1440, 2535, 525),
              "Configdatei einlesen", true, true);
        zeile("Check4", "QCheckBox", "Form1", twips(11040, 6480, 2535, 600), "Zurück", true, true);
        zeile("Check3", "QCheckBox", "Form1", twips(11040, 5760, 2535, 600), "Vorwärts", true,
              true);
        zeile("Check2", "QCheckBox", "Form1", twips(11040, 5040, 2535, 600), "Rechts", true, true);
        zeile("Check1", "QCheckBox", "Form1", twips(11040, 4320, 2535, 600), "Links", true, true);
        zeile("Command2", "QPushButton", "Form1", twips(11040, 3240, 2535, 525), "Exit", true,
              true);
        zeile("Command1", "QPushButton", "Form1", twips(11040, 2040, 2535, 525), "Ausschneiden",
              true, false);
        zeile("Picture3", "Bildfeld", "Form1", twips(1200, 240, 9450, 7095), {}, true, true);
        zeile("Ladebalken", "QLabel", "Picture3", twips(3120, 3720, 3495, 1575), "Lade...", false,
              true);
        zeile("Label1", "QLabel", "Picture3", twips(-240, 3000, 9855, 1695), "Wandelbuch Sichtwerk",
              true, true);
        zeile("Rahmen_3", "QLabel", "Picture3", twips(4320, 2160, 2535, 615), "Zurück", false,
              true);
        zeile("Rahmen_2", "QLabel", "Picture3", twips(3960, 960, 2535, 615), "Links", false, true);
        zeile("Rahmen_1", "QLabel", "Picture3", twips(1200, 2400, 2535, 615), "Rechts", false,
              true);
        zeile("Rahmen_0", "QLabel", "Picture3", twips(360, 960, 2535, 615), "Vorwärts", false,
              true);
        zeile("File1", "DateiListe", "Form1", twips(8880, 7560, 4215, 2235), {}, true, true);
        zeile("Dir1", "VerzeichnisListe", "Form1", twips(4440, 7560, 4335, 2340), {}, true, true);
        zeile("Picture1", "Bildfeld", "Form1", twips(7440, 1080, 2415, 1695), {}, false, true);
        zeile("Picture2", "Bildfeld", "Form1", twips(1200, 240, 10335, 7095), {}, false, true);
        zeile("Label2", "QLabel", "Form1", twips(120, 240, 975, 810), "Frames", true, true);
        zeile("Version", "QLabel", "Form1", twips(11400, 7200, 1815, 255), "1,300", false, true);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, klasse);
        QFETCH(QString, eltern);
        QFETCH(QRect, lage);
        QFETCH(QString, text);
        QFETCH(bool, sichtbar);
        QFETCH(bool, aktiv);

        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "[Links]\r\nWidth=1\r\n");
        Form1 form(dir.path(), QUrl());
        QCOMPARE(form.size(), QSize(919, 670));
        QCOMPARE(form.windowTitle(), u"Wandelbuch Sichtwerk"_qs);

        auto* w = form.findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), klasse);
        // Controls inside a picture box sit in its inner drawing area.
        QWidget* container = w->parentWidget();
        if (container->objectName() == u"flaeche"_qs)
            container = container->parentWidget();
        QCOMPARE(container->objectName().isEmpty() ? u"Form1"_qs : container->objectName(), eltern);
        QCOMPARE(w->geometry(), lage);
        if (!text.isEmpty())
            QCOMPARE(w->property("text").toString(), text);
        QCOMPARE(!w->isHidden(), sichtbar);
        QCOMPARE(w->isEnabled(), aktiv);
    }

    void schriften()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        for (const char* name : {"Check1", "Check2", "Check3", "Check4"}) {
            const QFont f = form.findChild<QCheckBox*>(name)->font();
            QCOMPARE(f.family(), u"Comic Sans MS"_qs);
            QCOMPARE(f.pointSize(), 12);
        }
        const QFont rahmen = form.findChild<QLabel*>(u"Rahmen_0"_qs)->font();
        QCOMPARE(rahmen.family(), u"Comic Sans MS"_qs);
        QCOMPARE(rahmen.pointSizeF(), 11.25);
        QCOMPARE(form.findChild<QLabel*>(u"Rahmen_2"_qs)->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));
        const QFont titel = form.findChild<QLabel*>(u"Label1"_qs)->font();
        QCOMPARE(titel.family(), u"Showcard Gothic"_qs);
        QVERIFY(titel.italic());
    }

    void stapelUndTabfolge()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        // Front to back: a control earlier in the designer's list lies in front.
        const QObjectList kinder = form.children();
        auto stelle = [&](const char* name) {
            return kinder.indexOf(form.findChild<QObject*>(QLatin1String(name)));
        };
        QVERIFY(stelle("Picture4") > stelle("Picture3"));
        QVERIFY(stelle("Command7_0") > stelle("Label2"));
        const QObjectList vorschau = form.findChild<QWidget*>(u"Picture3"_qs)
                                         ->findChild<QWidget*>(u"flaeche"_qs)
                                         ->children();
        auto stelleV = [&](const char* name) {
            return vorschau.indexOf(form.findChild<QObject*>(QLatin1String(name)));
        };
        QVERIFY(stelleV("Ladebalken") > stelleV("Label1"));
        QVERIFY(stelleV("Label1") > stelleV("Rahmen_0"));

        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto naechster = [&](const char* von) {
            form.findChild<QWidget*>(QLatin1String(von))->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget()->objectName();
        };
        QCOMPARE(naechster("Dir1"), u"File1"_qs);
        QCOMPARE(naechster("File1"), u"Command2"_qs); // Command1 is disabled
        QCOMPARE(naechster("Check4"), u"Command3"_qs);
        QCOMPARE(naechster("Command4"), u"Text1"_qs);
    }

    void startprotokoll()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        const QString regel(30, u'=');
        QCOMPARE(protokollZeilen(form),
                 (QStringList{regel, u"Programmversion 1,300 initialisiert..."_qs, regel}));
        auto* text1 = form.findChild<QPlainTextEdit*>(u"Text1"_qs);
        QVERIFY(text1->isReadOnly());
        QCOMPARE(text1->toPlainText(),
                 regel + u"\nProgrammversion 1,300 initialisiert...\n"_qs + regel);
    }

    void protokollAnhaengen()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        auto* text1 = form.findChild<QPlainTextEdit*>(u"Text1"_qs);
        form.SchreibProtokoll(u"zwei\r\nZeilen"_qs);
        form.SchreibProtokoll(u"gleich"_qs);
        form.SchreibProtokoll(u"gleich"_qs);
        form.SchreibProtokoll(QString());
        const QString text = text1->property("text").toString();
        QVERIFY(text.endsWith(u"\r\nzwei\r\nZeilen\r\ngleich\r\ngleich\r\n"_qs));
        QCOMPARE(protokollZeilen(form).size(), 3 + 5);

        // The newest line stays in view even after the user scrolled up.
        form.show();
        for (int i = 0; i < 200; ++i)
            form.SchreibProtokoll(QString::number(i));
        text1->verticalScrollBar()->setValue(0);
        form.SchreibProtokoll(u"neueste"_qs);
        QCOMPARE(text1->verticalScrollBar()->value(), text1->verticalScrollBar()->maximum());
        QVERIFY(text1->textCursor().atEnd());
    }

    void ordnerSteuertBildliste()
    {
        QTemporaryDir prog;
        QTemporaryDir bilder;
        schreibeDatei(prog.filePath(u"config.ini"_qs), "");
        schreibeDatei(prog.filePath(u"zwei.ini"_qs), "");
        schreibeDatei(prog.filePath(u"bild.jpg"_qs), "");
        for (const char* n : {"a.jpg", "B.GIF", "c.bmp", "d.png", "e.jpeg", "f.txt", "g.Jpg"})
            schreibeDatei(bilder.filePath(QLatin1String(n)), "x");
        QDir(bilder.path()).mkdir(u"unter.jpg"_qs);

        Form1 form(prog.path(), QUrl());
        auto* file1 = form.findChild<QListWidget*>(u"File1"_qs);
        auto* file2 = form.findChild<QListWidget*>(u"File2"_qs);
        auto* dir1 = form.findChild<QWidget*>(u"Dir1"_qs);
        QCOMPARE(dir1->property("path").toString(), QDir(prog.path()).absolutePath());
        QCOMPARE(file1->property("pattern").toString(), u"*.bmp;*.jpg;*.gif"_qs);
        QCOMPARE(file1->count(), 1);

        dir1->setProperty("path", bilder.path());
        QCOMPARE(file1->property("path").toString(), dir1->property("path").toString());
        QStringList namen;
        for (int i = 0; i < file1->count(); ++i)
            namen << file1->item(i)->text();
        QCOMPARE(namen, (QStringList{u"a.jpg"_qs, u"B.GIF"_qs, u"c.bmp"_qs, u"g.Jpg"_qs}));

        // The configuration chooser stays on the program folder.
        QStringList inis;
        for (int i = 0; i < file2->count(); ++i)
            inis << file2->item(i)->text();
        QCOMPARE(inis, (QStringList{u"config.ini"_qs, u"zwei.ini"_qs}));

        file1->setProperty("fileName", u"c.bmp"_qs);
        QCOMPARE(file1->property("fileName").toString(), u"c.bmp"_qs);
    }

    void updatestartAmEnde()
    {
        // A leftover script goes first; then the server is asked, and its newer
        // version is offered before the window is shown.
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        schreibeDatei(dir.filePath(u"update.cmd"_qs), "echo alt");
        TestHttpServer server;
        QVERIFY(server.starten());
        server.bedienen(u"/wandelbuch/Sichtwerk/version.txt"_qs, "Version: 1,301\r\n");
        BoxBeobachter boxen(QMessageBox::No);
        Form1 form(dir.path(), server.basisUrl());
        QVERIFY(!QFile::exists(dir.filePath(u"update.cmd"_qs)));
        QCOMPARE(boxen.boxen().size(), 1);
        QCOMPARE(boxen.boxen().front().titel, u"Update"_qs);
        QCOMPARE(server.anfragenGesamt(), 1);
        QCOMPARE(protokollZeilen(form).size(), 3);
        QVERIFY(form.form3()->isHidden());
    }

    void exitEndetOhneFrage()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "[Links]\r\nWidth=3\r\n");
        Form1 form(dir.path(), QUrl());
        int beendet = 0;
        form.setzeBeenden([&] { ++beendet; });
        BoxBeobachter boxen;
        QTest::mouseClick(form.findChild<QPushButton*>(u"Command2"_qs), Qt::LeftButton);
        QCOMPARE(beendet, 1);
        QVERIFY(boxen.boxen().isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"config.ini"_qs});
    }
};

QTEST_MAIN(TestStart)
#include "tst_start.moc"
