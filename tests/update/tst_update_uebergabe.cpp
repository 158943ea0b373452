// The update window as created, the blinking success text, the hand-over
// to the real update script run by /bin/sh in the program folder, and the
// start-up clean-up of a leftover script.

#include "UpdateTestHilfen.h"

#include "update/Form3.h"
#include "update/Rechteck.h"
#include "update/UpdateSkript.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QtTest>

#include <unistd.h>

namespace {

const QString erfolg = QStringLiteral("Update erfolgreich!");

} // namespace

class TestUpdateUebergabe final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_arbeitsordner;

private slots:
    void initTestCase()
    {
        nurDirekteVerbindungen();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void init()
    {
        // The script and the clean-up must use the program folder, never
        // the working directory.
        QVERIFY(m_arbeitsordner.isValid());
        QVERIFY(QDir::setCurrent(m_arbeitsordner.path()));
    }

    void cleanup() { QCOMPARE(Testordner::eintraegeUnter(m_arbeitsordner.path()), QStringList()); }

    void fensterWieAngelegt()
    {
        Testordner ordner;
        Form3 form(ordner.programmordner, QUrl());
        QVERIFY(!form.isVisible());
        QVERIFY(form.isWindow());
        QCOMPARE(form.windowTitle(), QStringLiteral("Form3"));
        QCOMPARE(form.size(), QSize(449, 142));

        auto* timer2 = form.findChild<QTimer*>("Timer2");
        auto* timer1 = form.findChild<QTimer*>("Timer1");
        QVERIFY(timer1 && timer2);
        QCOMPARE(timer2->interval(), 500);
        QCOMPARE(timer1->interval(), 5000);
        QVERIFY(!timer1->isActive());
        QVERIFY(!timer2->isActive());
        QVERIFY(timer1->isSingleShot());

        auto* label1 = form.findChild<QLabel*>("Label1");
        auto* label2 = form.findChild<QLabel*>("Label2");
        auto* shape1 = form.findChild<Rechteck*>("Shape1");
        auto* shape2 = form.findChild<Rechteck*>("Shape2");
        QVERIFY(label1 && label2 && shape1 && shape2);
        QCOMPARE(label1->text(), QStringLiteral("Update..."));
        QCOMPARE(label1->geometry(), QRect(0, 0, 449, 65));
        QCOMPARE(label1->alignment(), Qt::AlignCenter);
        QCOMPARE(label1->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(label1->font().pointSize(), 36);
        QVERIFY(label1->font().bold());
        QCOMPARE(label2->text(), QStringLiteral("Datei: 1/1 'Dateiname'"));
        QCOMPARE(label2->geometry(), QRect(0, 120, 449, 17));
        QCOMPARE(label2->alignment(), Qt::AlignCenter);

        QCOMPARE(shape1->fuellung(), QColor(192, 192, 255));
        QCOMPARE(shape2->fuellung(), QColor(128, 128, 255));
        QCOMPARE(shape1->pos(), QPoint(8, 80));
        QCOMPARE(shape2->pos(), QPoint(8, 80));
        QCOMPARE(shape1->height(), 33);
        QCOMPARE(shape2->height(), 33);
        // 6514 and 3257 twips in the window's unit of 65.14296 twips.
        QVERIFY(qAbs(shape1->breite() * Rechteck::twipsProEinheit - 6514.0) < 0.01);
        QVERIFY(qAbs(shape2->breite() * Rechteck::twipsProEinheit - 3257.0) < 0.01);
        QCOMPARE(shape1->width(), 434);
        QCOMPARE(shape2->width(), 217);

        // Front to back: Label2, Shape2, Shape1, Label1 (children paint in
        // order, the last one on top).
        const QObjectList kinder = form.children();
        QVERIFY(kinder.indexOf(label2) > kinder.indexOf(shape2));
        QVERIFY(kinder.indexOf(shape2) > kinder.indexOf(shape1));
        QVERIFY(kinder.indexOf(shape1) > kinder.indexOf(label1));

        // Placed in the middle of the screen.
        const QRect bildschirm = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((form.geometry().center() - bildschirm.center()).manhattanLength() <= 4);
    }

    void balkenUeberSpurGezeichnet()
    {
        Testordner ordner;
        Form3 form(ordner.programmordner, QUrl());
        auto* shape2 = form.findChild<Rechteck*>("Shape2");
        const QImage bild = form.grab().toImage();
        QCOMPARE(QColor(bild.pixel(8 + 100, 96)), QColor(128, 128, 255));
        QCOMPARE(QColor(bild.pixel(8 + 300, 96)), QColor(192, 192, 255));
        QVERIFY(QColor(bild.pixel(8 + 440, 96)) != QColor(192, 192, 255));

        // At 100 units the bar covers the track to within one twip.
        auto* shape1 = form.findChild<Rechteck*>("Shape1");
        shape2->setProperty("breite", 100.0f);
        QCOMPARE(shape2->property("breite").toFloat(), 100.0f);
        QVERIFY(qAbs((shape2->breite() - shape1->breite()) * Rechteck::twipsProEinheit) < 1.0);
        QCOMPARE(shape2->width(), shape1->width());
        const QImage voll = form.grab().toImage();
        QCOMPARE(QColor(voll.pixel(8 + 430, 96)), QColor(128, 128, 255));
    }

    void blinken_data()
    {
        QTest::addColumn<QString>("vorher");
        QTest::addColumn<QString>("nachher");
        QTest::newRow("Anfangstext") << "Update..." << erfolg;
        QTest::newRow("Erfolg") << erfolg << "";
        QTest::newRow("leer") << "" << erfolg;
        QTest::newRow("Erfolg in anderer Schreibung") << "UPDATE ERFOLGREICH!"
                                                      << "";
    }

    void blinken()
    {
        QFETCH(QString, vorher);
        QFETCH(QString, nachher);
        Testordner ordner;
        Form3 form(ordner.programmordner, QUrl());
        auto* label1 = form.findChild<QLabel*>("Label1");
        label1->setText(vorher);
        form.Timer2_Timer();
        QCOMPARE(label1->text(), nachher);
    }

    void skriptLaeuftImProgrammordnerUndProgrammEndet()
    {
        Testordner ordner;
        QVERIFY(schreibeDatei(ordner.imProgramm("update.cmd"), "pwd > marke.txt\n"));
        Form3 form(ordner.programmordner, QUrl());
        int beendet = 0;
        form.setzeBeenden([&] { ++beendet; });
        form.Timer1_Timer();
        QCOMPARE(beendet, 1);
        QTRY_VERIFY(QFileInfo(ordner.imProgramm("marke.txt")).size() > 0);
        const QString ort =
            QString::fromLocal8Bit(leseDatei(ordner.imProgramm("marke.txt"))).trimmed();
        QCOMPARE(QFileInfo(ort).canonicalFilePath(),
                 QFileInfo(ordner.programmordner).canonicalFilePath());
    }

    void uebergabeFuenfSekundenNachDemUpdate()
    {
        // The whole way: the list is missing, so the hand-over is armed at
        // once; five seconds later the downloaded script runs and the end
        // action comes, exactly once, while the success text blinks.
        Testordner ordner;
        TestHttpServer server;
        QVERIFY(server.starten());
        neueVersionAnbieten(server);
        server.bedienen(serverSkript, "echo fertig > marke.txt\n");
        Form3 form(ordner.programmordner, server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        int beendet = 0;
        form.setzeBeenden([&] { ++beendet; });
        {
            MeldungsBeantworter beantworter({QMessageBox::Yes});
            form.Updatetest();
            QCOMPARE(beantworter.meldungen.size(), 1);
        }
        auto* label1 = form.findChild<QLabel*>("Label1");
        QCOMPARE(label1->text(), erfolg);
        QTRY_VERIFY_WITH_TIMEOUT(label1->text().isEmpty(), 1500);
        QTRY_COMPARE_WITH_TIMEOUT(label1->text(), erfolg, 1500);
        QCOMPARE(beendet, 0);
        QVERIFY(!QFile::exists(ordner.imProgramm("marke.txt")));

        QTRY_COMPARE_WITH_TIMEOUT(beendet, 1, 8000);
        QTRY_VERIFY(QFileInfo(ordner.imProgramm("marke.txt")).size() > 0);
        QCOMPARE(leseDatei(ordner.imProgramm("marke.txt")), QByteArray("fertig\n"));
        QTest::qWait(700);
        QCOMPARE(beendet, 1);
        QVERIFY(!form.findChild<QTimer*>("Timer1")->isActive());
    }

    void standardBeendenEndetDenProzessSofort()
    {
        // Run in a child process: the default end action must end the
        // process with code 0 before anything after it runs.
        if (qEnvironmentVariableIsSet("SICHTWERK_TEST_BEENDEN")) {
            Form3 form(qEnvironmentVariable("SICHTWERK_TEST_BEENDEN"), QUrl());
            form.Timer1_Timer();
            std::puts("nach dem Ende");
            std::exit(3);
        }
        Testordner ordner;
        QVERIFY(schreibeDatei(ordner.imProgramm("update.cmd"), "echo lief > marke.txt\n"));
        QProcess kind;
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert(QStringLiteral("SICHTWERK_TEST_BEENDEN"), ordner.programmordner);
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        kind.setProcessEnvironment(umgebung);
        kind.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("standardBeendenEndetDenProzessSofort")});
        QVERIFY(kind.waitForFinished(20000));
        QCOMPARE(kind.exitStatus(), QProcess::NormalExit);
        QCOMPARE(kind.exitCode(), 0);
        QVERIFY(!kind.readAllStandardOutput().contains("nach dem Ende"));
        QTRY_VERIFY(QFileInfo(ordner.imProgramm("marke.txt")).size() > 0);
    }

    void altesSkriptWirdBeimStartGeloescht()
    {
        Testordner ordner;
        QVERIFY(schreibeDatei(ordner.imProgramm("update.cmd"), "alt"));
        QVERIFY(schreibeDatei(ordner.imProgramm("Sichtwerk.dxe"), "bleibt"));
        entferneAltesUpdateSkript(ordner.programmordner);
        QCOMPARE(ordner.alles(), (QStringList{"Programm", "Programm/Sichtwerk.dxe"}));
    }

    void ohneAltesSkriptGeschiehtNichts()
    {
        Testordner ordner;
        QVERIFY(schreibeDatei(ordner.imProgramm("andere.cmd"), "bleibt"));
        entferneAltesUpdateSkript(ordner.programmordner);
        QCOMPARE(ordner.alles(), (QStringList{"Programm", "Programm/andere.cmd"}));
    }

    void ordnerNamensUpdateCmdBleibt()
    {
        Testordner ordner;
        QVERIFY(QDir().mkpath(ordner.imProgramm("update.cmd/innen")));
        entferneAltesUpdateSkript(ordner.programmordner);
        QVERIFY(QFileInfo(ordner.imProgramm("update.cmd/innen")).isDir());
    }

    void skriptImArbeitsordnerBleibtUnberuehrt()
    {
        // Only the program folder's script is the leftover of an update.
        Testordner ordner;
        QVERIFY(schreibeDatei(m_arbeitsordner.filePath("update.cmd"), "fremd"));
        entferneAltesUpdateSkript(ordner.programmordner);
        QCOMPARE(leseDatei(m_arbeitsordner.filePath("update.cmd")), QByteArray("fremd"));
        QVERIFY(QFile::remove(m_arbeitsordner.filePath("update.cmd")));
    }

    void nichtLoeschbaresSkriptHaeltDenStartNichtAuf()
    {
        Testordner ordner;
        const QString skript = ordner.imProgramm("update.cmd");
        QVERIFY(schreibeDatei(skript, "alt"));
        LoeschSperre sperre(ordner.programmordner, skript);
        if (!sperre.aktiv)
            QSKIP("hier lässt sich das Löschen nicht verhindern");
        entferneAltesUpdateSkript(ordner.programmordner);
        QVERIFY(QFile::exists(skript));

        // The start-up goes on with the version check.
        TestHttpServer server;
        QVERIFY(server.starten());
        server.bedienen(serverVersion, "Version: 1,0");
        Form3 form(ordner.programmordner, server.basisUrl());
        form.setzeLaufendeVersion(QStringLiteral("1,300"));
        form.Updatetest();
        QCOMPARE(server.anfragen(serverVersion), 1);
    }

private:
    // Keeps a file from being deleted while it lives: through a folder
    // without write permission, or, for root, whom that does not stop,
    // through the immutable attribute where the file system has it.
    struct LoeschSperre
    {
        QString ordner;
        QString datei;
        bool root = ::geteuid() == 0;
        bool aktiv = false;

        LoeschSperre(const QString& o, const QString& d)
            : ordner(o)
            , datei(d)
        {
            if (root)
                aktiv =
                    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), datei}) == 0;
            else
                aktiv = QFile::setPermissions(ordner, QFile::ReadOwner | QFile::ExeOwner);
        }

        ~LoeschSperre()
        {
            if (!aktiv)
                return;
            if (root)
                QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), datei});
            else
                QFile::setPermissions(ordner,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    };
};

QTEST_MAIN(TestUpdateUebergabe)
#include "tst_update_uebergabe.moc"
