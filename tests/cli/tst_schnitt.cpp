// sichtwerk-schnitt as a script meets it: the built program run on real
// picture files, its views and log against the window's "Alle ausschneiden",
// folders in folders, the fit check and every way to call it wrongly.

#include "app/Form1.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"
#include "views/Farbprofil.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using testbilder::kodieren;

namespace {

struct Ergebnis
{
    int code = -1;
    QStringList aus, fehler;
};

QStringList zeilen(const QByteArray& text)
{
    return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestSchnitt final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    QString pfad(const QString& name) const { return m_tmp->filePath(name); }
    void bild(const QString& name, int w, int h, const char* format = "BMP", quint32 saat = 1)
    {
        QVERIFY(!testbilder::schreiben(m_tmp->path(), name,
                                       kodieren(testbilder::fotoaehnlich(w, h, saat), format))
                     .isEmpty());
    }
    // Runs the program in the temporary folder.
    Ergebnis starten(const QStringList& argumente) const
    {
        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(QStringLiteral(SICHTWERK_SCHNITT), argumente);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                zeilen(p.readAllStandardOutput()), zeilen(p.readAllStandardError())};
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        // Links and Zurück cross the edges of the smaller pictures.
        const QByteArray config = formhelfer::konfiguration(u"Links"_qs, 3, 5, 41, 300) +
                                  formhelfer::konfiguration(u"Rechts"_qs, 20, 150, 33, 17) +
                                  formhelfer::konfiguration(u"Vorwärts"_qs, 0, 0, 250, 180) +
                                  formhelfer::konfiguration(u"Zurück"_qs, 150, -8, 90, 40);
        QVERIFY(!testbilder::schreiben(pfad(u"prog"_qs), u"config.ini"_qs, config).isEmpty());
    }

    void gleichWieFenster_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QStringList>("kaestchen");
        QTest::newRow("jede Richtung") << QStringList{} << QStringList{"1", "2", "3", "4"};
        QTest::newRow("z und l") << QStringList{"--richtungen", "zL"} << QStringList{"4", "1"};
    }
    void gleichWieFenster()
    {
        QFETCH(QStringList, argumente);
        QFETCH(QStringList, kaestchen);
        bild(u"bilder/a.jpg"_qs, 640, 480, "JPEG", 2); // decoded only in part
        bild(u"bilder/B.BMP"_qs, 160, 170);
        bild(u"bilder/c.jpg"_qs, 250, 180, "JPEG", 3);
        bild(u"bilder/d.png"_qs, 200, 200, "PNG");
        testbilder::schreiben(pfad(u"bilder"_qs), u"kaputt.jpg"_qs, "kein Bild");
        // The same stem as a.jpg and before it by name: a.jpg is not cut.
        bild(u"bilder/a.bmp"_qs, 300, 200, "BMP", 4);

        Form1 form(pfad(u"prog"_qs), QUrl());
        formhelfer::zeigen(form);
        form.findChild<QWidget*>(u"Dir1"_qs)->setProperty("path", pfad(u"bilder"_qs));
        for (const QString& k : kaestchen)
            form.findChild<QCheckBox*>(u"Check"_qs + k)->setChecked(true);
        const qsizetype vorher = protokollZeilen(form).size();
        QTest::mouseClick(formhelfer::knopf(form, u"Command6"_qs), Qt::LeftButton);

        const Ergebnis e = starten(
            QStringList{"--config", "prog/config.ini", "--ausgabe", "aus", "bilder"} + argumente);
        QCOMPARE(e.code, 1);
        QCOMPARE(e.aus, protokollZeilen(form).mid(vorher));
        QCOMPARE(e.fehler, e.aus.filter(QRegularExpression(u"^Error: "_qs)));
        QCOMPARE(e.fehler.size(), 2);
        QCOMPARE(e.fehler.first(),
                 u"Error: a.jpg nicht ausgeschnitten: seine Ansichten hießen wie die von a.bmp"_qs);
        QCOMPARE(testbilder::ordnerUnterschied(pfad(u"aus"_qs), pfad(u"prog/ausgeschnitten"_qs)),
                 QString());
    }

    void mehrereEingabenUndUnterordner()
    {
        bild(u"eins/b.jpg"_qs, 260, 200, "JPEG", 5);
        bild(u"eins/a.bmp"_qs, 200, 200, "BMP", 6);
        bild(u"zwei/c.bmp"_qs, 200, 200, "BMP", 7);
        bild(u"zwei/x.bmp"_qs, 200, 200, "BMP", 8);
        const QStringList config{"--config", "prog/config.ini", "--richtungen", "R"};
        Ergebnis e = starten(config + QStringList{"zwei/c.bmp", "eins", "--ausgabe", "flach"});
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus.filter(u":"_qs), (QStringList{"c.bmp:", "a.bmp:", "b.jpg:"}));
        QCOMPARE(e.aus.last(), QString(30, u'='));
        QCOMPARE(testbilder::inhalt(pfad(u"flach"_qs)),
                 (QStringList{"a_R.bmp", "b_R.bmp", "c_R.bmp"}));

        // Equal names in two subfolders, and the views of an earlier run
        // inside the tree, which must not be cut again.
        bild(u"baum/a.bmp"_qs, 200, 200, "BMP", 9);
        bild(u"baum/eins/a.bmp"_qs, 200, 200, "BMP", 10);
        bild(u"baum/eins/tief/a.bmp"_qs, 200, 200, "BMP", 11);
        bild(u"baum/zwei/a.bmp"_qs, 200, 200, "BMP", 12);
        const QStringList rekursiv = config + QStringList{"--rekursiv", "--ausgabe", "baum/aus"};
        QCOMPARE(starten(rekursiv + QStringList{"baum"}).code, 0);
        e = starten(rekursiv + QStringList{"baum"});
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus.filter(u":"_qs),
                 (QStringList{"a.bmp:", "eins/a.bmp:", "eins/tief/a.bmp:", "zwei/a.bmp:"}));
        for (const QString& teil : {u""_qs, u"/eins"_qs, u"/eins/tief"_qs, u"/zwei"_qs}) {
            QCOMPARE(starten(config + QStringList{"--ausgabe", "soll" + teil, "baum" + teil}).code,
                     0);
            QCOMPARE(testbilder::ordnerUnterschied(pfad("baum/aus" + teil), pfad("soll" + teil)),
                     QString());
        }
    }

    void pruefen_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("aus");
        const QStringList config{"--pruefen", "--config", "prog/config.ini"};
        // gross.bmp is 250 × 180: Vorwärts fills it exactly, Rechts nearly.
        QTest::newRow("genau bis zum Rand")
            << config + QStringList{"--richtungen=vr", "gross.bmp"} << 0
            << QStringList{"Geprüft: 1 Bilder, 1 passen, 0 passen nicht, 0 nicht lesbar"};
        QTest::newRow("namensgleich")
            << config + QStringList{"--richtungen=vr", "gross.bmp", "Gross.jpg"} << 1
            << QStringList{"Error: Gross.jpg nicht ausgeschnitten: seine Ansichten hießen wie "
                           "die von gross.bmp",
                           "Geprüft: 2 Bilder, 1 passen, 1 passen nicht, 0 nicht lesbar"};
        QTest::newRow("Ränder und Unlesbares")
            << config + QStringList{"gross.bmp", "klein.jpg", "kaputt.gif"} << 1
            << QStringList{"gross.bmp: Rahmen Links (Left 5, Top 3, Width 41, Height 300) liegt "
                           "nicht ganz im Bild (250 × 180)",
                           "gross.bmp: Rahmen Zurück (Left -8, Top 150, Width 90, Height 40) "
                           "liegt nicht ganz im Bild (250 × 180)",
                           "klein.jpg: Rahmen Links (Left 5, Top 3, Width 41, Height 300) liegt "
                           "nicht ganz im Bild (182 × 302)",
                           "klein.jpg: Rahmen Rechts (Left 150, Top 20, Width 33, Height 17) "
                           "liegt nicht ganz im Bild (182 × 302)",
                           "klein.jpg: Rahmen Vorwärts (Left 0, Top 0, Width 250, Height 180) "
                           "liegt nicht ganz im Bild (182 × 302)",
                           "klein.jpg: Rahmen Zurück (Left -8, Top 150, Width 90, Height 40) "
                           "liegt nicht ganz im Bild (182 × 302)",
                           "Error: kaputt.gif konnte nicht geladen werden: die Bilddaten sind "
                           "beschädigt",
                           "Geprüft: 3 Bilder, 0 passen, 2 passen nicht, 1 nicht lesbar"};
    }
    void pruefen()
    {
        QFETCH(QStringList, argumente);
        QFETCH(int, code);
        QFETCH(QStringList, aus);
        bild(u"gross.bmp"_qs, 250, 180);
        bild(u"klein.jpg"_qs, 182, 302, "JPEG");
        bild(u"Gross.jpg"_qs, 250, 180, "JPEG");
        testbilder::schreiben(m_tmp->path(), u"kaputt.gif"_qs, "GIF89a");
        const Ergebnis e = starten(argumente);
        QCOMPARE(e.code, code);
        QCOMPARE(e.aus, aus);
        QCOMPARE(e.fehler, aus.filter(QRegularExpression(u"^Error: "_qs)));
        QVERIFY(!QFile::exists(pfad(u"ausgeschnitten"_qs)));
    }

    void anhalten_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("code");
        QTest::newRow("SIGINT") << int(SIGINT) << 130;
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    }
    void anhalten()
    {
        QFETCH(int, signal);
        QFETCH(int, code);
        const QByteArray inhalt = kodieren(testbilder::fotoaehnlich(1140, 855, 1), "BMP");
        for (int i = 0; i < 150; ++i)
            testbilder::schreiben(pfad(u"b"_qs),
                                  QStringLiteral("s%1.bmp").arg(i, 3, 10, QChar(u'0')), inhalt);
        // Left by a run that was killed an hour ago: the next batch removes it.
        const QString rest = testbilder::schreiben(
            pfad(u"aus"_qs), u".sichtwerk-1-00000000-00000000.teil"_qs, "halb");
        QFile f(rest);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-7200),
                              QFileDevice::FileModificationTime));
        f.close();

        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(QStringLiteral(SICHTWERK_SCHNITT),
                {"--config", "prog/config.ini", "--richtungen", "V", "--ausgabe", "aus", "b"});
        QVERIFY(
            QTest::qWaitFor([&] { return testbilder::inhalt(pfad(u"aus"_qs)).size() > 3; }, 20000));
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), code);
        const QStringList aus = zeilen(p.readAllStandardOutput());
        const QStringList dateien = testbilder::inhalt(pfad(u"aus"_qs));
        const int n = int(aus.filter(u".bmp:"_qs).size());
        QVERIFY2(n > 0 && n < 150, qPrintable(QString::number(n)));
        QCOMPARE(aus.mid(aus.size() - 3),
                 (QStringList{QString(20, u'='),
                              QStringLiteral("Abgebrochen nach %1 von 150 Bildern.").arg(n),
                              QString(30, u'=')}));
        // No temporary file, and every view that is there is whole.
        QCOMPARE(dateien.size(), n);
        for (const QString& d : dateien)
            QCOMPARE(QImage(pfad(u"aus/"_qs + d)).size(), QSize(250, 180));
    }

    void vollerDatentraeger()
    {
        // A small file system of its own, mounted where that is allowed.
        if (QProcess::execute(u"unshare"_qs, {"-rm", "true"}) != 0)
            QSKIP("unshare -rm is not allowed here: no tmpfs for the full-disk case");
        for (int i = 0; i < 12; ++i)
            bild(QStringLiteral("b/s%1.bmp").arg(i, 2, 10, QChar(u'0')), 250, 180);
        QVERIFY(QDir().mkpath(pfad(u"voll"_qs)));
        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(u"unshare"_qs,
                {"-rm", "sh", "-c",
                 "mount -t tmpfs -o size=300k none voll && \"$0\" --config prog/config.ini "
                 "--richtungen V --ausgabe voll b; rc=$?; cd voll && ls -a; wc -c *.bmp; exit $rc",
                 QStringLiteral(SICHTWERK_SCHNITT)});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        const QStringList aus = zeilen(p.readAllStandardOutput());
        const QStringList voll = aus.filter(u"konnte nicht geschrieben werden"_qs);
        QVERIFY(!voll.isEmpty());
        QVERIFY(voll.first().endsWith(u": auf dem Datenträger ist kein Platz mehr"_qs));
        // Each view on the full disk is whole (250 × 180 at 24 bits: 135414
        // bytes); nothing half written, no temporary file.
        QCOMPARE(aus.filter(u".teil"_qs), QStringList());
        const QStringList groessen = aus.filter(QRegularExpression(u"^ *\\d+ s\\d\\d_V.bmp$"_qs));
        QCOMPARE(groessen.size(), 12 - voll.size());
        for (const QString& g : groessen)
            QVERIFY2(g.trimmed().startsWith(u"135414 "_qs), qPrintable(g));
    }

    void zeilenumbruchImNamen()
    {
        bild(u"b/zwei\nzeilen.bmp"_qs, 250, 180);
        testbilder::schreiben(pfad(u"b"_qs), u"kaputt\r.jpg"_qs, "kein Bild");
        const Ergebnis e =
            starten({"--config", "prog/config.ini", "--richtungen", "R", "--ausgabe", "aus", "b"});
        QCOMPARE(e.code, 1);
        QCOMPARE(
            e.aus,
            (QStringList{"Error: kaputt?.jpg konnte nicht geladen werden: die Datei ist kein BMP-, "
                         "JPEG-, GIF-, PNG-, TIFF- oder WebP-Bild",
                         QString(20, u'='), "zwei?zeilen.bmp:", "Bild RECHTS erstellt",
                         QString(20, u'='), "Fertig!", QString(30, u'=')}));
        // The view keeps the name's own characters.
        QCOMPARE(testbilder::inhalt(pfad(u"aus"_qs)), QStringList{u"zwei\nzeilen_R.bmp"_qs});
    }

    void formate()
    {
        // Every new kind of picture against its twin holding the same pixels
        // as a BMP: the same views, under names without the whole extension.
        const QList<std::pair<const char*, const char*>> paare = {
            {"rgb.png", "quelle.bmp"},
            {"zeilensprung.png", "quelle.bmp"},
            {"ohne.tif", "quelle.bmp"},
            {"kacheln.tif", "quelle.bmp"},
            {"lzw.tif", "quelle.bmp"},
            {"deflate.tif", "quelle.bmp"},
            {"verlustfrei.webp", "quelle.bmp"},
            {"jpeg.tif", "jpeg-tif.bmp"},
            {"verlustbehaftet.webp", "verlustbehaftet.bmp"},
            {"palette-alpha.png", "palette-alpha.bmp"},
            {"grau16.png", "grau16.bmp"},
            {"rgb16.tif", "rgb16.bmp"},
            {"alpha.webp", "alpha.bmp"},
            {"alpha16.png", "alpha.bmp"}};
        for (const auto& [neu, zwilling] : paare) {
            const QString stamm = QString::fromLatin1(neu).replace(u'.', u'-');
            const QString endung = QString::fromLatin1(neu).section(u'.', -1);
            testbilder::schreiben(pfad(u"neu"_qs),
                                  stamm + (endung == u"tif" ? u".tiff"_qs : u"."_qs + endung),
                                  testbilder::testdatei(u"formate/"_qs + QLatin1String(neu)));
            testbilder::schreiben(pfad(u"zwilling"_qs), stamm + u".bmp"_qs,
                                  testbilder::testdatei(u"formate/"_qs + QLatin1String(zwilling)));
        }
        const QStringList config{"--config", "prog/config.ini", "--ausgabe"};
        QCOMPARE(starten(config + QStringList{"aus-neu", "neu"}).code, 0);
        QCOMPARE(starten(config + QStringList{"aus-zwilling", "zwilling"}).code, 0);
        QCOMPARE(testbilder::ordnerUnterschied(pfad(u"aus-neu"_qs), pfad(u"aus-zwilling"_qs)),
                 QString());
        QVERIFY(QFile::exists(pfad(u"aus-neu/rgb16-tif_V.bmp"_qs)));

        // PNG views hold the BMP views' pixels; the source's profile goes along.
        testbilder::schreiben(pfad(u"neu"_qs), u"icc.png"_qs,
                              testbilder::testdatei(u"formate/icc.png"_qs));
        QCOMPARE(starten(config + QStringList{"aus-png", "--format", "PNG", "neu"}).code, 0);
        for (const QString& bmp : testbilder::inhalt(pfad(u"aus-zwilling"_qs))) {
            const QString png = bmp.chopped(3) + u"png"_qs;
            QCOMPARE(testbilder::ersterUnterschied(QImage(pfad(u"aus-png/"_qs + png)),
                                                   QImage(pfad(u"aus-zwilling/"_qs + bmp))),
                     QString());
        }
        QCOMPARE(schnitt::farbprofilLesen(testbilder::lesen(pfad(u"aus-png/icc_V.png"_qs))),
                 schnitt::farbprofilLesen(testbilder::testdatei(u"formate/icc.png"_qs)));
    }

    void vorlage()
    {
        // Frames set up on 1140 × 855, scaled to three sizes, one of them odd.
        testbilder::schreiben(pfad(u"prog"_qs), u"s.ini"_qs,
                              formhelfer::beispielKonfiguration() +
                                  "[Vorlage]\r\nBreite=1140\r\nHoehe=855\r\nAnpassen="
                                  "skalieren\r\n");
        const QImage gross = testbilder::fotoaehnlich(2280, 1710, 5);
        const QImage klein = testbilder::fotoaehnlich(570, 428, 6);
        testbilder::schreiben(pfad(u"b"_qs), u"gross.jpg"_qs, kodieren(gross, "JPEG", 90));
        testbilder::schreiben(pfad(u"b"_qs), u"klein.bmp"_qs, kodieren(klein, "BMP"));
        bild(u"b/mittel.bmp"_qs, 1140, 855);
        const QStringList aufruf{"--config", "prog/s.ini", "--richtungen", "VZ"};
        const Ergebnis p = starten(aufruf + QStringList{"--pruefen", "b"});
        QCOMPARE(p.aus,
                 (QStringList{"gross.jpg: Rahmen skaliert auf 2280 × 1710",
                              "klein.bmp: Rahmen skaliert auf 570 × 428",
                              "Geprüft: 3 Bilder, 3 passen, 0 passen nicht, 0 nicht lesbar"}));
        const Ergebnis e = starten(aufruf + QStringList{"--ausgabe", "aus", "b"});
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus.filter(u"skaliert"_qs), p.aus.mid(0, 2));
        QCOMPARE(testbilder::ersterUnterschied(QImage(pfad(u"aus/klein_V.bmp"_qs)),
                                               klein.copy(75, 0, 420, 353)),
                 QString());
        QCOMPARE(testbilder::ersterUnterschied(QImage(pfad(u"aus/klein_Z.bmp"_qs)),
                                               klein.copy(0, 353, 570, 75)),
                 QString());
        QCOMPARE(
            testbilder::ersterUnterschied(QImage(pfad(u"aus/gross_V.bmp"_qs)),
                                          QImage(pfad(u"b/gross.jpg"_qs)).copy(300, 0, 1680, 1410)),
            QString());

        // Photos turned upright by their orientation tag, the frames on the
        // upright picture: the views are crops of ImageMagick's upright twins.
        testbilder::schreiben(pfad(u"prog"_qs), u"exif.ini"_qs,
                              formhelfer::konfiguration(u"Links"_qs, 2, 3, 11, 7) +
                                  "[Vorlage]\r\nAusrichtung=exif\r\n");
        for (int o = 1; o <= 8; ++o)
            testbilder::schreiben(
                pfad(u"e"_qs), QStringLiteral("a%1.jpg").arg(o),
                testbilder::testdatei(QStringLiteral("ausrichtung%1.jpg").arg(o)));
        QCOMPARE(starten({"--config", "prog/exif.ini", "--ausgabe", "aus-e", "e"}).code, 0);
        for (int o = 1; o <= 8; ++o) {
            const QImage soll = QImage::fromData(
                testbilder::testdatei(QStringLiteral("ausrichtung%1-aufrecht.bmp").arg(o)));
            QCOMPARE(
                testbilder::ersterUnterschied(
                    QImage(pfad(QStringLiteral("aus-e/a%1_L.bmp").arg(o))), soll.copy(3, 2, 11, 7)),
                QString());
        }
    }

    void ohneNeukodierung()
    {
        // Links lies on the 16 × 16 grid of the 4:2:0 picture, Rechts does not.
        testbilder::schreiben(pfad(u"prog"_qs), u"v.ini"_qs,
                              formhelfer::konfiguration(u"Links"_qs, 16, 32, 45, 37) +
                                  formhelfer::konfiguration(u"Rechts"_qs, 3, 5, 20, 20) +
                                  "[Ausgabe]\r\nFormat=jpg\r\nVerlustfrei=1\r\n");
        const QString quelle = testbilder::schreiben(pfad(u"b"_qs), u"icc.jpg"_qs,
                                                     testbilder::testdatei(u"formate/icc.jpg"_qs));
        const Ergebnis e = starten({"--config", "prog/v.ini", "--ausgabe", "aus", "b"});
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus.mid(0, 4),
                 (QStringList{"Ausgabeformat: JPEG, Qualität 90, ohne Neukodierung wo möglich",
                              QString(20, u'='), "icc.jpg:", "Bild LINKS erstellt"}));
        QCOMPARE(e.aus.at(4), u"Bild RECHTS erstellt (neu kodiert)"_qs);
        QProcess jpegtran;
        jpegtran.start(u"jpegtran"_qs, {"-crop", "45x37+32+16", "-perfect", quelle});
        QVERIFY(jpegtran.waitForFinished());
        QCOMPARE(testbilder::ersterUnterschied(QImage(pfad(u"aus/icc_L.jpg"_qs)),
                                               QImage::fromData(jpegtran.readAllStandardOutput())),
                 QString());
        QCOMPARE(schnitt::farbprofilLesen(testbilder::lesen(pfad(u"aus/icc_R.jpg"_qs))),
                 schnitt::farbprofilLesen(testbilder::lesen(quelle)));
    }

    void falscherAufruf_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("warum");
        const QString hilfe = u" (Hilfe: sichtwerk-schnitt --help)"_qs;
        auto mit = [](const char* config, QStringList rest) {
            return QStringList{"--config", config} + rest;
        };
        QTest::newRow("unbekannte Option") << mit("prog/config.ini", {"--schnell", "b"})
                                           << "Unbekannte Option '--schnell'" + hilfe;
        QTest::newRow("Wert fehlt")
            << QStringList{"b", "--config"} << "Zu --config fehlt der Wert" + hilfe;
        QTest::newRow("ohne --config") << QStringList{"b"} << "--config DATEI fehlt" + hilfe;
        QTest::newRow("ohne Eingabe")
            << mit("prog/config.ini", {"--rekursiv"})
            << "Keine EINGABE angegeben: ein Ordner oder eine Bilddatei" + hilfe;
        QTest::newRow("Config fehlt")
            << mit("weg.ini", {"b"}) << "Die Konfigurationsdatei 'weg.ini' existiert nicht";
        QTest::newRow("Config unlesbar")
            << mit("gesperrt.ini", {"b"})
            << "Die Konfigurationsdatei 'gesperrt.ini' kann nicht gelesen werden: keine Leserechte";
        QTest::newRow("Config ist Ordner")
            << mit("prog", {"b"}) << "Die Konfigurationsdatei 'prog' ist keine gewöhnliche Datei";
        QTest::newRow("Config ohne Richtung")
            << mit("b/a.bmp", {"b"})
            << "Die Konfigurationsdatei 'b/a.bmp' legt keine Richtung fest (jede Width fehlt oder "
               "ist 0)";
        QTest::newRow("Richtung ohne Rahmen")
            << mit("nurlinks.ini", {"--richtungen", "LR", "b"})
            << "Die Richtung Rechts ist in der Konfigurationsdatei 'nurlinks.ini' nicht festgelegt "
               "(Width fehlt oder ist 0)";
        QTest::newRow("unbekannte Richtung")
            << mit("prog/config.ini", {"--richtungen=LX", "b"})
            << "Unbekannte Richtung 'X' in --richtungen: erlaubt sind L, R, V und Z" + hilfe;
        QTest::newRow("Ordner unlesbar") << mit("prog/config.ini", {"b", "gesperrt"})
                                         << "Der Ordner 'gesperrt' kann nicht gelesen werden";
        QTest::newRow("Eingabe fehlt") << mit("prog/config.ini", {"b", "b/weg.jpg"})
                                       << "Die Eingabe 'b/weg.jpg' existiert nicht";
        QTest::newRow("Format unbekannt")
            << mit("prog/config.ini", {"--format", "gif", "b"})
            << "Unbekanntes Format 'gif' in --format: erlaubt sind bmp, png, jpg, tif und webp" +
                   hilfe;
        QTest::newRow("Qualität zu hoch")
            << mit("prog/config.ini", {"--qualitaet=101", "b"})
            << "--qualitaet 101 liegt nicht zwischen 1 und 100" + hilfe;
        QTest::newRow("Format der Datei unbekannt")
            << mit("gif.ini", {"b"})
            << "Ausgabeformat 'gif' in 'gif.ini' ist unbekannt: erlaubt sind bmp, png, jpg, tif "
               "und webp";
        QTest::newRow("Eingabe kein Bild")
            << mit("prog/config.ini", {"b/a.bmp", "prog/config.ini"})
            << "Die Eingabe 'prog/config.ini' ist kein Bild: der Name endet nicht auf jpg, gif, "
               "bmp, .jpeg, .jpe, .png, .tif, .tiff oder .webp";
    }
    void falscherAufruf()
    {
        QFETCH(QStringList, argumente);
        QFETCH(QString, warum);
        bild(u"b/a.bmp"_qs, 200, 200);
        testbilder::schreiben(m_tmp->path(), u"nurlinks.ini"_qs,
                              formhelfer::konfiguration(u"Links"_qs, 0, 0, 10, 10));
        testbilder::schreiben(m_tmp->path(), u"gif.ini"_qs,
                              formhelfer::konfiguration(u"Links"_qs, 0, 0, 10, 10) +
                                  "[Ausgabe]\r\nFormat=gif\r\n");
        const QString gesperrt = testbilder::schreiben(
            m_tmp->path(), u"gesperrt.ini"_qs, testbilder::lesen(pfad(u"prog/config.ini"_qs)));
        QVERIFY(QFile::setPermissions(gesperrt, {}));
        QVERIFY(QDir().mkpath(pfad(u"gesperrt"_qs)));
        QVERIFY(QFile::setPermissions(pfad(u"gesperrt"_qs), {}));
        const Ergebnis e = starten(argumente);
        QCOMPARE(e.code, 2);
        QCOMPARE(e.aus, QStringList());
        QCOMPARE(e.fehler, QStringList{"sichtwerk-schnitt: " + warum});
        QVERIFY(!QFile::exists(pfad(u"ausgeschnitten"_qs)));

        const Ergebnis hilfe = starten(argumente + QStringList{"-h"});
        QCOMPARE(hilfe.code, 0);
        QVERIFY(hilfe.aus.first().startsWith(u"Aufruf: sichtwerk-schnitt --config DATEI.ini"));
    }
};

QTEST_MAIN(TestSchnitt)
#include "tst_schnitt.moc"
