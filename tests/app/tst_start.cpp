// The main window after its start-up: every control, the log, the two file
// lists, the update check at the end of the start, and Exit.

#include "app/Form1.h"
#include "app/Form3.h"

#include "Dialoghelfer.h"
#include "TestHttpServer.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList eintraege(const QListWidget* liste)
{
    QStringList namen;
    for (int i = 0; i < liste->count(); ++i)
        namen << liste->item(i)->text();
    return namen;
}

} // namespace

class TestStart final : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("klasse");
        QTest::addColumn<QString>("eltern");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sichtbar");
        QTest::addColumn<bool>("aktiv");

        // Where the window derives a place or a state: inside a picture box,
        // hidden, disabled, or computed from the version.
        auto zeile = [](const char* n, const char* k, const char* e, QRect r, const QString& t = {},
                        bool s = true,
                        bool a = true) { QTest::newRow(n) << k << e << r << t << s << a; };
        zeile("Picture4", "Bildfeld", "Form1", {3240, 2040, 6735, 5295}, "", false);
        zeile("Command8", "QPushButton", "Picture4", {6240, 120, 375, 375}, "X");
        zeile("Command7_0", "QPushButton", "Form1", {240, 600, 735, 375}, "1");
        zeile("Command5", "QPushButton", "Form1", {11040, 240, 2535, 525},
              "Rahmen (un-)sichtbar machen", true, false);
        zeile("Check1", "QCheckBox", "Form1", {11040, 4320, 2535, 600}, "Links");
        zeile("Command1", "QPushButton", "Form1", {11040, 2040, 2535, 525}, "Ausschneiden", true,
              false);
        zeile("Ladebalken", "QLabel", "Picture3", {3120, 3720, 3495, 1575}, "Lade...", false);
        zeile("Label1", "QLabel", "Picture3", {-240, 3000, 9855, 1695}, "Wandelbuch Sichtwerk");
        zeile("Rahmen_0", "QLabel", "Picture3", {360, 960, 2535, 615}, "Vorwärts", false);
        zeile("Picture1", "Bildfeld", "Form1", {7440, 1080, 2415, 1695}, "", false);
        zeile("Picture2", "Bildfeld", "Form1", {1200, 240, 10335, 7095}, "", false);
        zeile("Version", "QLabel", "Form1", {11400, 7200, 1815, 255}, "1,300", false);
    }
    void layout()
    {
        QFETCH(QString, klasse);
        QFETCH(QString, eltern);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        QFETCH(bool, sichtbar);
        QFETCH(bool, aktiv);

        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "[Links]\r\nWidth=1\r\n");
        Form1 form(dir.path(), QUrl());
        QCOMPARE(form.size(), QSize(919, 670));
        QCOMPARE(form.windowTitle(), u"Wandelbuch Sichtwerk"_qs);

        auto* w = form.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(w);
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), klasse);
        // Controls inside a picture box sit in its inner drawing area.
        QWidget* container = w->parentWidget();
        if (container->objectName() == u"flaeche"_qs)
            container = container->parentWidget();
        QCOMPARE(container == &form ? u"Form1"_qs : container->objectName(), eltern);
        QCOMPARE(w->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        if (!text.isEmpty())
            QCOMPARE(w->property("text").toString(), text);
        QCOMPARE(!w->isHidden(), sichtbar);
        QCOMPARE(w->isEnabled(), aktiv);
    }

    void startprotokoll()
    {
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        Form1 form(dir.path(), QUrl());
        const QString regel(30, u'=');
        QCOMPARE(protokollZeilen(form),
                 (QStringList{regel, u"Programmversion 1,300 initialisiert..."_qs, regel}));
        QVERIFY(!form.font().bold() && !form.font().italic());
    }

    void dateilisten()
    {
        QTemporaryDir prog;
        QTemporaryDir bilder;
        for (const char* n : {"config.ini", "zwei.ini", "bild.jpg"})
            schreibeDatei(prog.filePath(QLatin1String(n)), "");
        for (const char* n : {"a.jpg", "B.GIF", "c.bmp", "d.ppm", "e.jpg.txt", "f.txt", "g.Jpg",
                              "h.png", "i.JPEG", "k.webp", "l.tif", "m.TIFF", "n.jpe"})
            schreibeDatei(bilder.filePath(QLatin1String(n)), "x");
        QDir(bilder.path()).mkdir(u"unter.jpg"_qs);

        Form1 form(prog.path(), QUrl());
        auto* file1 = form.findChild<QListWidget*>(u"File1"_qs);
        auto* file2 = form.findChild<QListWidget*>(u"File2"_qs);
        auto* dir1 = form.findChild<QWidget*>(u"Dir1"_qs);
        QCOMPARE(eintraege(file1), QStringList{u"bild.jpg"_qs});
        dir1->setProperty("path", bilder.path());
        QCOMPARE(eintraege(file1),
                 (QStringList{u"a.jpg"_qs, u"B.GIF"_qs, u"c.bmp"_qs, u"g.Jpg"_qs, u"h.png"_qs,
                              u"i.JPEG"_qs, u"k.webp"_qs, u"l.tif"_qs, u"m.TIFF"_qs, u"n.jpe"_qs}));
        // The configuration chooser stays on the program folder.
        QCOMPARE(eintraege(file2), (QStringList{u"config.ini"_qs, u"zwei.ini"_qs}));
    }

    void updatepruefungAmEndeDesStarts()
    {
        // A leftover script goes first; then the server is asked, and its newer
        // version is offered before the window is shown.
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs), "");
        schreibeDatei(dir.filePath(u"update.cmd"_qs), "echo alt");
        TestHttpServer server;
        server.bedienen(u"/wandelbuch/Sichtwerk/version.txt"_qs, "Version: 1,301\r\n");
        BoxBeobachter boxen(QMessageBox::No);
        Form1 form(dir.path(), server.url());
        QCOMPARE(baum(dir.path()), QStringList{u"config.ini="_qs});
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
        QCOMPARE(baum(dir.path()), QStringList{u"config.ini=[Links]\r\nWidth=3\r\n"_qs});
    }
};

QTEST_MAIN(TestStart)
#include "tst_start.moc"
