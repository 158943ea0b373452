// sichtwerk-schnitt as a script meets it: the built program run on real
// picture files, its views and log against the window's "Alle ausschneiden",
// folders in folders, the fit check, every way to call it wrongly, and the
// large runs: lists, parts through GNU parallel, reruns and the manifest.

#include "app/Form1.h"
#include "cli/Ausgabe.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"
#include "views/Farbprofil.h"
#include "views/Panorama.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using testbilder::kodieren;

namespace {

const char PruefenTabelle[] =
    R"tabelle(genau bis zum Rand | --pruefen --config prog/config.ini --richtungen=vr gross.bmp | 0
Geprüft: 1 Bilder, 1 passt, 0 passen nicht, 0 nicht lesbar

namensgleich | --pruefen --config prog/config.ini --richtungen=vr gross.bmp Gross.jpg | 1
Error: Gross.jpg nicht ausgeschnitten: seine Ansichten hießen wie die von gross.bmp
Geprüft: 2 Bilder, 1 passt, 1 passt nicht, 0 nicht lesbar

Ränder und Unlesbares | --pruefen --config prog/config.ini gross.bmp klein.jpg kaputt.gif | 1
gross.bmp: Rahmen Links (Left 5, Top 3, Width 41, Height 300) liegt nicht ganz im Bild (250 × 180)
gross.bmp: Rahmen Zurück (Left -8, Top 150, Width 90, Height 40) liegt nicht ganz im Bild (250 × 180)
klein.jpg: Rahmen Links (Left 5, Top 3, Width 41, Height 300) liegt nicht ganz im Bild (182 × 302)
klein.jpg: Rahmen Rechts (Left 150, Top 20, Width 33, Height 17) liegt nicht ganz im Bild (182 × 302)
klein.jpg: Rahmen Vorwärts (Left 0, Top 0, Width 250, Height 180) liegt nicht ganz im Bild (182 × 302)
klein.jpg: Rahmen Zurück (Left -8, Top 150, Width 90, Height 40) liegt nicht ganz im Bild (182 × 302)
Error: kaputt.gif konnte nicht geladen werden: die Bilddaten sind beschädigt
Geprüft: 3 Bilder, 0 passen, 2 passen nicht, 1 nicht lesbar

andere Größe als die Vorlage | --pruefen --config vorlage.ini gross.bmp klein.jpg | 1
gross.bmp: das Bild ist 250 × 180 groß, die Rahmen gelten für 250 × 302 ([Vorlage], Anpassen=nein)
klein.jpg: das Bild ist 182 × 302 groß, die Rahmen gelten für 250 × 302 ([Vorlage], Anpassen=nein)
Geprüft: 2 Bilder, 0 passen, 2 passen nicht, 0 nicht lesbar

Vorlage ohne Breite | --pruefen --config ohne-breite.ini gross.bmp | 0
Geprüft: 1 Bilder, 1 passt, 0 passen nicht, 0 nicht lesbar

Vorlage ohne Höhe | --pruefen --config ohne-hoehe.ini gross.bmp | 0
Geprüft: 1 Bilder, 1 passt, 0 passen nicht, 0 nicht lesbar
)tabelle";

const char ListeFehler[] = R"tabelle(b/weg.bmp aus der Liste existiert nicht
b/sub aus der Liste ist keine gewöhnliche Datei
b/notiz.txt aus der Liste ist kein Bild: der Name endet nicht auf jpg, gif, bmp, .jpeg, .jpe, .png, .tif, .tiff oder .webp
../~/b/x.bmp aus der Liste nicht ausgeschnitten: mit '..' im Pfad könnten seine Ansichten außerhalb des Ausgabeordners landen
./aus/alt_R.bmp aus der Liste liegt im Ausgabeordner: Ansichten werden nicht wieder geschnitten
)tabelle";

const char FalscheAufrufe[] =
    R"tabelle(unbekannte Option | --config prog/config.ini --schnell b | Unbekannte Option '--schnell' (Hilfe: sichtwerk-schnitt --help)
Wert fehlt | b --config | Zu --config fehlt der Wert (Hilfe: sichtwerk-schnitt --help)
ohne --config | b | --config DATEI fehlt (Hilfe: sichtwerk-schnitt --help)
ohne Eingabe | --config prog/config.ini --rekursiv | Keine EINGABE angegeben: ein Ordner, eine Bilddatei oder --liste DATEI (Hilfe: sichtwerk-schnitt --help)
0/4 | --config prog/config.ini --teil 0/4 b | --teil 0/4: K muss zwischen 1 und N liegen (Hilfe: sichtwerk-schnitt --help)
5/4 | --config prog/config.ini --teil 5/4 b | --teil 5/4: K muss zwischen 1 und N liegen (Hilfe: sichtwerk-schnitt --help)
1/x | --config prog/config.ini --teil 1/x b | --teil '1/x' hat nicht die Form K/N aus zwei ganzen Zahlen, etwa 3/8 (Hilfe: sichtwerk-schnitt --help)
1/99999999999 | --config prog/config.ini --teil 1/99999999999 b | --teil '1/99999999999' hat nicht die Form K/N aus zwei ganzen Zahlen, etwa 3/8 (Hilfe: sichtwerk-schnitt --help)
-1/4 | --config prog/config.ini --teil -1/4 b | --teil '-1/4' hat nicht die Form K/N aus zwei ganzen Zahlen, etwa 3/8 (Hilfe: sichtwerk-schnitt --help)
2 | --config prog/config.ini --teil 2 b | --teil '2' hat nicht die Form K/N aus zwei ganzen Zahlen, etwa 3/8 (Hilfe: sichtwerk-schnitt --help)
--null ohne Liste | --config prog/config.ini --null b | --null gilt nur mit --liste (Hilfe: sichtwerk-schnitt --help)
--manifest beim Prüfen | --config prog/config.ini --pruefen --manifest m.csv b | --manifest gilt nur beim Schneiden, nicht mit --pruefen (Hilfe: sichtwerk-schnitt --help)
Liste fehlt | --config prog/config.ini --liste weg.txt | Die Liste 'weg.txt' kann nicht gelesen werden: die Datei existiert nicht
Manifest ohne Ordner | --config prog/config.ini --manifest weg/m.csv b | Der Ordner für das Manifest 'weg/m.csv' existiert nicht
Manifest ist Ordner | --config prog/config.ini --manifest b b | Das Manifest 'b' wäre ein Ordner
Config fehlt | --config weg.ini b | Die Konfigurationsdatei 'weg.ini' existiert nicht
Config unlesbar | --config gesperrt.ini b | Die Konfigurationsdatei 'gesperrt.ini' kann nicht gelesen werden: keine Leserechte
Config ist Ordner | --config prog b | Die Konfigurationsdatei 'prog' ist keine gewöhnliche Datei
Config ohne Richtung | --config b/a.bmp b | Die Konfigurationsdatei 'b/a.bmp' legt keine Richtung fest (jede Width fehlt oder ist 0)
Richtung ohne Rahmen | --config nurlinks.ini --richtungen LR b | Die Richtung Rechts ist in der Konfigurationsdatei 'nurlinks.ini' nicht festgelegt (Width fehlt oder ist 0)
unbekannte Richtung | --config prog/config.ini --richtungen=LX b | Unbekannte Richtung 'X' in --richtungen: erlaubt sind L, R, V und Z (Hilfe: sichtwerk-schnitt --help)
Ordner unlesbar | --config prog/config.ini b gesperrt | Der Ordner 'gesperrt' kann nicht gelesen werden
Unterordner unlesbar | --config prog/config.ini --rekursiv . | Der Ordner './gesperrt' kann nicht gelesen werden
Eingabe fehlt | --config prog/config.ini b b/weg.jpg | Die Eingabe 'b/weg.jpg' existiert nicht
Format unbekannt | --config prog/config.ini --format gif b | Unbekanntes Format 'gif' in --format: erlaubt sind bmp, png, jpg, tif und webp (Hilfe: sichtwerk-schnitt --help)
Qualität zu hoch | --config prog/config.ini --qualitaet=101 b | --qualitaet 101 liegt nicht zwischen 1 und 100 (Hilfe: sichtwerk-schnitt --help)
Format der Datei unbekannt | --config gif.ini b | Ausgabeformat 'gif' in 'gif.ini' ist unbekannt: erlaubt sind bmp, png, jpg, tif und webp
Eingabe kein Bild | --config prog/config.ini b/a.bmp prog/config.ini | Die Eingabe 'prog/config.ini' ist kein Bild: der Name endet nicht auf jpg, gif, bmp, .jpeg, .jpe, .png, .tif, .tiff oder .webp
)tabelle";

struct Ergebnis
{
    int code = -1;
    QStringList aus, fehler;
};

QStringList zeilen(const QByteArray& text)
{
    return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
}

// Every file below `ordner` by its path there, with its bytes.
QMap<QString, QByteArray> dateibaum(const QString& ordner)
{
    QMap<QString, QByteArray> dateien;
    for (QDirIterator it(ordner, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString pfad = it.next();
        dateien.insert(QDir(ordner).relativeFilePath(pfad), testbilder::lesen(pfad));
    }
    return dateien;
}

// The views a run cut, by the headings of its log.
QStringList geschnittene(const QStringList& aus)
{
    return aus.filter(QRegularExpression(u"^[^ ]+:$"_qs)).replaceInStrings(u":"_qs, QString());
}

const QString ManifestKopf = u"Ansicht,Bild,Richtung,Left,Top,Width,Height,Bytes,SHA256,"
                             u"Aufnahme,Breitengrad,Laengengrad,Blickrichtung,Bild-Nr,Zeit"_qs;

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
    Ergebnis starten(const QStringList& argumente, const QByteArray& eingabe = {}) const
    {
        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(QStringLiteral(SICHTWERK_SCHNITT), argumente);
        p.write(eingabe);
        p.closeWriteChannel();
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
        // Its error line stays one line, as in the window.
        testbilder::schreiben(pfad(u"bilder"_qs), u"kaputt\r.jpg"_qs, "kein Bild");
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
        // The same lines, but for the folder each wrote to.
        const QStringList fenster = protokollZeilen(form).mid(vorher);
        QCOMPARE(e.aus.sliced(0, e.aus.size() - 1), fenster.sliced(0, fenster.size() - 1));
        QCOMPARE(e.aus.last(), u"Ansichten in "_qs + QDir::toNativeSeparators(pfad(u"aus"_qs)));
        QCOMPARE(fenster.last(),
                 u"Ansichten in "_qs + QDir::toNativeSeparators(pfad(u"prog/ausgeschnitten"_qs)));
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
        bild(u"-d.bmp"_qs, 200, 200, "BMP", 4);
        const QStringList config{"--config", "prog/config.ini", "--richtungen", "R"};
        Ergebnis e = starten(
            config + QStringList{"zwei/c.bmp", "eins", "--ausgabe", "flach", "--", "-d.bmp"});
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus.filter(u":"_qs), (QStringList{"c.bmp:", "a.bmp:", "b.jpg:", "-d.bmp:"}));
        QCOMPARE(e.aus.last(2),
                 (QStringList{QString(30, u'='),
                              u"Ansichten in "_qs + QDir::toNativeSeparators(pfad(u"flach"_qs))}));
        QCOMPARE(testbilder::inhalt(pfad(u"flach"_qs)),
                 (QStringList{"-d_R.bmp", "a_R.bmp", "b_R.bmp", "c_R.bmp"}));

        // Equal names in two subfolders, and the views of an earlier run
        // inside the tree, which must not be cut again.
        bild(u"baum/a.bmp"_qs, 200, 200, "BMP", 9);
        bild(u"baum/eins/a.bmp"_qs, 200, 200, "BMP", 10);
        bild(u"baum/eins/tief/a.bmp"_qs, 200, 200, "BMP", 11);
        bild(u"baum/zwei/a.bmp"_qs, 200, 200, "BMP", 12);
        QVERIFY(
            QFile::link(pfad(u"baum"_qs), pfad(u"baum/zwei/hoch"_qs))); // never ends if followed
        const QStringList rekursiv = config + QStringList{"--rekursiv", "--ausgabe", "baum/aus"};
        QCOMPARE(starten(rekursiv + QStringList{"baum"}).code, 0);
        e = starten(rekursiv + QStringList{"baum"});
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus.filter(u":"_qs),
                 (QStringList{"a.bmp:", "eins/a.bmp:", "eins/tief/a.bmp:", "zwei/a.bmp:"}));
        QCOMPARE(dateibaum(pfad(u"baum/aus"_qs)).keys(),
                 (QStringList{"a_R.bmp", "eins/a_R.bmp", "eins/tief/a_R.bmp", "zwei/a_R.bmp"}));
    }

    // Runs that cut less than asked fail: a folder without pictures, a view
    // with no pixel in its picture (not written all white).
    void leereLaeufe()
    {
        QVERIFY(QDir().mkpath(pfad(u"leer/unter"_qs)));
        const QStringList config{"--config", "prog/config.ini", "--ausgabe", "aus"};
        const QString keine =
            u"Keine Bilder im Ordner "_qs + QDir::toNativeSeparators(u"leer"_qs) + u"."_qs;
        Ergebnis e = starten(config + QStringList{"--rekursiv", "leer"});
        QCOMPARE(e.code, 1);
        QCOMPARE(e.aus, QStringList{keine});
        QVERIFY(!QFile::exists(pfad(u"aus"_qs)));
        e = starten(config + QStringList{"--pruefen", "leer"});
        QCOMPARE(e.code, 1);
        QCOMPARE(e.aus,
                 (QStringList{keine,
                              u"Geprüft: 0 Bilder, 0 passen, 0 passen nicht, 0 nicht lesbar"_qs}));

        // Rechts (Left 150) lies wholly beside a 100 pixel wide picture; Links
        // (Left 5) and Zurück (Left -8) reach into it.
        bild(u"b/schmal.bmp"_qs, 100, 200);
        e = starten(config + QStringList{"--richtungen", "LRZ", "leer", "b"});
        QCOMPARE(e.code, 1);
        QCOMPARE(e.aus.first(), keine);
        QCOMPARE(e.fehler,
                 (QStringList{u"Error: schmal.bmp, Rechts: Rahmen (Left 150, Top 20, Width "
                              "33, Height 17) liegt ganz außerhalb des Bildes (100 × "
                              "200); keine Ansicht gespeichert"_qs}));
        QCOMPARE(testbilder::inhalt(pfad(u"aus"_qs)),
                 (QStringList{u"schmal_L.bmp"_qs, u"schmal_Z.bmp"_qs}));
        QCOMPARE(e.aus.last(), u"Ansichten in "_qs + QDir::toNativeSeparators(pfad(u"aus"_qs)));
    }

    void pruefen_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("aus");
        // Blocks of "name | arguments | exit code" and the output's lines.
        // gross.bmp is 250 × 180: Vorwärts fills it exactly, Rechts nearly.
        const QString text = QString::fromUtf8(QByteArray(PruefenTabelle));
        for (const QString& block : text.split(u"\n\n"_qs)) {
            QStringList aus = zeilen(block.toUtf8());
            const QStringList kopf = aus.takeFirst().split(u" | "_qs);
            QTest::newRow(kopf[0].toUtf8().constData())
                << kopf[1].split(u' ') << kopf[2].toInt() << aus;
        }
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
        for (const QString& ini : {u"vorlage.ini"_qs, u"ohne-breite.ini"_qs, u"ohne-hoehe.ini"_qs})
            testbilder::schreiben(m_tmp->path(), ini, testbilder::testdatei(u"aufrufe/"_qs + ini));
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
        QTest::addColumn<QStringList>("manifest");
        QTest::newRow("SIGINT, Manifest")
            << int(SIGINT) << 130 << QStringList{"--manifest", "m.csv"};
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143 << QStringList{};
    }
    void anhalten()
    {
        QFETCH(int, signal);
        QFETCH(int, code);
        QFETCH(QStringList, manifest);
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
                QStringList{"--config", "prog/config.ini", "--richtungen", "V", "--ausgabe", "aus",
                            "b"} +
                    manifest);
        QVERIFY(
            QTest::qWaitFor([&] { return testbilder::inhalt(pfad(u"aus"_qs)).size() > 3; }, 20000));
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), code);
        const QStringList aus = zeilen(p.readAllStandardOutput());
        const QStringList dateien = testbilder::inhalt(pfad(u"aus"_qs));
        const int n = int(aus.filter(u".bmp:"_qs).size());
        QVERIFY2(n > 0 && n < 150, qPrintable(QString::number(n)));
        QCOMPARE(aus.mid(aus.size() - 4, 3),
                 (QStringList{QString(20, u'='),
                              QStringLiteral("Abgebrochen nach %1 von 150 Bildern.").arg(n),
                              QString(30, u'=')}));
        // No temporary file, and every view that is there is whole.
        QCOMPARE(dateien.size(), n);
        for (const QString& d : dateien)
            QCOMPARE(QImage(pfad(u"aus/"_qs + d)).size(), QSize(250, 180));
        // The manifest holds exactly the views that are there.
        if (!manifest.isEmpty()) {
            QStringList reihen = zeilen(testbilder::lesen(pfad(u"m.csv"_qs)));
            QCOMPARE(reihen.takeFirst(), ManifestKopf);
            QCOMPARE(reihen.replaceInStrings(QRegularExpression(u",.*"_qs), QString()), dateien);
        }
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

    void formate()
    {
        // --format over the file's BMP; a quality makes WebP lossy, none keeps
        // it lossless. The pixels and profiles each encoder writes are the
        // encoders' test.
        bild(u"b/a.tiff"_qs, 160, 160, "TIFF");
        for (const QStringList& wie : {QStringList{"aus-bmp"},
                                       {"aus-png", "--format", "PNG", "--qualitaet", "100"},
                                       {"aus-webp", "--format=webp", "--qualitaet=1"},
                                       {"aus-webpl", "--format=webp"}})
            QCOMPARE(
                starten(QStringList{"--config", "prog/config.ini", "b", "--ausgabe"} + wie).code,
                0);
        const QByteArray webp = testbilder::lesen(pfad(u"aus-webp/a_V.webp"_qs));
        QVERIFY(webp.contains("VP8 ") && !webp.contains("VP8L"));
        QVERIFY(testbilder::lesen(pfad(u"aus-webpl/a_V.webp"_qs)).contains("VP8L"));
        QCOMPARE(testbilder::inhalt(pfad(u"aus-bmp"_qs)),
                 (QStringList{"a_L.bmp", "a_R.bmp", "a_V.bmp", "a_Z.bmp"}));
        QCOMPARE(testbilder::ersterUnterschied(QImage(pfad(u"aus-png/a_V.png"_qs)),
                                               QImage(pfad(u"aus-bmp/a_V.bmp"_qs))),
                 QString());
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

    void panorama()
    {
        // Three perspective views and a rectangle from one file; the JPEG is
        // decoded only in the band the views reach, the map made once.
        const QByteArray ini = testbilder::testdatei(u"panorama.ini"_qs);
        testbilder::schreiben(pfad(u"prog"_qs), u"p.ini"_qs, ini);
        testbilder::schreiben(pfad(u"b"_qs), u"rund.jpg"_qs,
                              kodieren(testbilder::fotoaehnlich(400, 200, 7), "JPEG", 90));
        bild(u"b/schmal.bmp"_qs, 300, 200);
        const Ergebnis e = starten({"--config", "prog/p.ini", "--ausgabe", "aus-b", "b"});
        QCOMPARE(e.code, 1);
        const QString kein =
            u"das Bild ist mit 300 × 200 Pixeln kein Panorama im Seitenverhältnis 2:1"_qs;
        QCOMPARE(e.fehler, (QStringList{u"Error: schmal.bmp, Links: "_qs + kein,
                                        u"Error: schmal.bmp, Vorwärts: "_qs + kein,
                                        u"Error: schmal.bmp, Zurück: "_qs + kein}));
        // The same panorama stored on its side, upright by its orientation tag (6).
        const QByteArray exif("\xFF\xE1\0\x22"
                              "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03"
                              "\0\0\0\x01\0\x06\0\0\0\0\0\0",
                              36);
        const QByteArray liegend =
            kodieren(testbilder::fotoaehnlich(400, 200, 7).transformed(QTransform().rotate(-90)),
                     "JPEG", 90);
        testbilder::schreiben(pfad(u"c"_qs), u"rund.jpg"_qs, QByteArray(liegend).insert(2, exif));
        testbilder::schreiben(pfad(u"prog"_qs), u"pe.ini"_qs,
                              ini + "[Vorlage]\r\nAusrichtung=exif\r\n");
        QCOMPARE(starten({"--config", "prog/pe.ini", "--ausgabe", "aus-c", "c"}).code, 0);
        for (const char* ordner : {"b", "c"}) {
            QImageReader leser(pfad(QLatin1String(ordner) + u"/rund.jpg"_qs));
            leser.setAutoTransform(true);
            const QImage quelle = leser.read().convertToFormat(QImage::Format_RGB32);
            const std::pair<const char*, schnitt::panorama::Blick> soll[] = {
                {"V", {90, 0, 0, 64, 48}},
                {"L", {100.5, -90, 20, 50, 40, true}},
                {"Z", {60, 180, 0, 40, 30}}};
            for (const auto& [richtung, blick] : soll) {
                const QString datei = QStringLiteral("aus-%1/rund_%2.bmp").arg(ordner, richtung);
                QCOMPARE(
                    testbilder::ersterUnterschied(
                        QImage(pfad(datei)), schnitt::panorama::abbilden(
                                                 quelle, {}, quelle.size(),
                                                 schnitt::panorama::Karte(quelle.size(), blick))),
                    QString());
            }
        }
        QCOMPARE(QImage(pfad(u"aus-b/schmal_R.bmp"_qs)).size(), QSize(30, 20));
        const Ergebnis p = starten({"--config", "prog/p.ini", "--pruefen", "b"});
        QCOMPARE(p.aus.last(), u"Geprüft: 2 Bilder, 1 passt, 1 passt nicht, 0 nicht lesbar"_qs);
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
        QCOMPARE(QImage(pfad(u"aus/icc_L.jpg"_qs)).size(), QSize(45, 37));
        QCOMPARE(schnitt::farbprofilLesen(testbilder::lesen(pfad(u"aus/icc_R.jpg"_qs))),
                 schnitt::farbprofilLesen(testbilder::lesen(quelle)));
    }

    void liste_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QByteArray>("liste"); // '@' the temporary folder, '~' its name
        QTest::addColumn<QStringList>("fehler");
        QTest::addColumn<QStringList>("ansichten"); // in the order of the list
        // '|' separates the entries, some of them empty; "||" is a CR LF in the file.
        const QByteArray eintraege = "|b/x.bmp|||./b//sub/x.bmp|b/weg.bmp|b/sub|b/notiz.txt|"
                                     "../~/b/x.bmp|./aus/alt_R.bmp|@/abs/z.bmp|b/zwei\nzeilen.bmp";
        const QStringList fehler = zeilen(QByteArray(ListeFehler));
        const QStringList ansichten{"e_R.bmp", "b/x_R.bmp", "b/sub/x_R.bmp", "@/abs/z_R.bmp"};
        // A list saved on Windows; the name with a line break is two entries.
        QTest::newRow("Datei, Zeilen")
            << QStringList{"--liste", "l.txt"}
            << QByteArray(eintraege).replace("||", "\r\n").replace('|', '\n') + '\n'
            << fehler + QStringList{"b/zwei aus der Liste existiert nicht",
                                    "zeilen.bmp aus der Liste existiert nicht"}
            << ansichten;
        QTest::newRow("Standardeingabe, NUL")
            << QStringList{"--liste", "-", "--null"} << QByteArray(eintraege).replace('|', '\0')
            << fehler << ansichten + QStringList{"b/zwei\nzeilen_R.bmp"};
    }
    void liste()
    {
        QFETCH(QStringList, argumente);
        QFETCH(QByteArray, liste);
        QFETCH(QStringList, fehler);
        QFETCH(QStringList, ansichten);
        const QString tmp = m_tmp->path();
        auto einsetzen = [&tmp](QString text, const QString& fuerAt) {
            return text.replace(u'~', QFileInfo(tmp).fileName()).replace(u'@', fuerAt);
        };
        for (const QString& name :
             QStringList{"e.bmp", "b/x.bmp", "b/sub/x.bmp", "abs/z.bmp", "b/zwei\nzeilen.bmp"})
            bild(name, 200, 200);
        testbilder::schreiben(pfad(u"b"_qs), u"notiz.txt"_qs, "kein Bild");
        liste = einsetzen(QString::fromUtf8(liste), tmp).toUtf8();
        const bool ein = argumente.contains(u"-"_qs);
        if (!ein)
            testbilder::schreiben(tmp, u"l.txt"_qs, liste);
        const Ergebnis e = starten(QStringList{"--config", "prog/config.ini", "--richtungen", "R",
                                               "--ausgabe", "aus", "e.bmp"} +
                                       argumente,
                                   ein ? liste : QByteArray());
        QCOMPARE(e.code, 1);
        for (QString& f : fehler)
            f = u"Error: "_qs + einsetzen(f, tmp);
        QCOMPARE(e.fehler, fehler);
        QStringList koepfe;
        for (QString& a : ansichten) {
            a = einsetzen(a, tmp.mid(1));
            koepfe << QString(a).replace(u"_R.bmp"_qs, u".bmp"_qs).replace(u'\n', u'?');
        }
        QCOMPARE(geschnittene(e.aus), koepfe);
        ansichten.sort();
        QCOMPARE(dateibaum(pfad(u"aus"_qs)).keys(), ansichten);
        QCOMPARE(
            e.aus.at(e.aus.size() - 5),
            QStringLiteral("Bilder: %1 ausgeschnitten, 0 unverändert übersprungen, %2 mit Fehlern")
                .arg(ansichten.size())
                .arg(fehler.size()));
        // Where "../<folder>/b/x.bmp" would have put its view.
        QVERIFY(!QFile::exists(pfad(u"b/x_R.bmp"_qs)));
    }

    void teileMitParallel()
    {
        // Equal names in three folders, one of them an EINGABE, a pair that
        // clashes (b0.bmp, B0.jpg) and a missing entry: each must be handled
        // by exactly one part.
        QByteArray liste;
        for (int i = 0; i < 15; ++i) {
            const QString name = QStringLiteral("p/%1/b%2.bmp").arg(i % 3).arg(i / 3);
            bild(name, 160, 170, "BMP", quint32(i));
            if (i % 3 != 1)
                liste += name.toUtf8() + '\n';
        }
        bild(u"p/0/B0.jpg"_qs, 250, 180, "JPEG", 20);
        testbilder::schreiben(m_tmp->path(), u"l.txt"_qs, liste + "./p//0/B0.jpg\np/weg.bmp\n");
        const QStringList gemeinsam{"--config", "prog/config.ini", "--richtungen", "RV",
                                    "--liste",  "l.txt",           "p/1"};
        const Ergebnis einzeln =
            starten(gemeinsam + QStringList{"--ausgabe", "einzeln", "--manifest", "einzeln.csv"});
        QCOMPARE(einzeln.fehler.size(), 2);
        QVERIFY(testbilder::lesen(pfad(u"einzeln.csv"_qs)).contains(",p/1/b0.bmp,R,"));

        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(u"parallel"_qs, QStringList{SICHTWERK_SCHNITT} + gemeinsam +
                                    QStringList{"--ausgabe", "t{}", "--teil", "{}/4", "--manifest",
                                                "t{}.csv", ":::", "1", "2", "3", "4"});
        QVERIFY(p.waitForFinished(60000));
        // The clash and the missing entry fall to two parts; parallel counts
        // the parts that failed, the other two ended with 0.
        QCOMPARE(p.exitCode(), 2);
        QStringList fehler = zeilen(p.readAllStandardError()), soll = einzeln.fehler;
        fehler.sort();
        soll.sort();
        QCOMPARE(fehler, soll);
        QMap<QString, QByteArray> vereint;
        for (int k = 1; k <= 4; ++k) {
            const QMap<QString, QByteArray> teil = dateibaum(pfad(u"t"_qs + QString::number(k)));
            QVERIFY(!teil.isEmpty());
            for (auto it = teil.cbegin(); it != teil.cend(); ++it) {
                QVERIFY2(!vereint.contains(it.key()), qPrintable(it.key()));
                vereint.insert(it.key(), it.value());
            }
        }
        QCOMPARE(vereint, dateibaum(pfad(u"einzeln"_qs)));
        // Joined as the README says.
        QCOMPARE(QProcess::execute(u"sh"_qs, {"-c",
                                              "cd \"$0\" && { head -n 1 t1.csv; tail -q -n +2 "
                                              "t?.csv | LC_ALL=C sort; } > alle.csv",
                                              m_tmp->path()}),
                 0);
        QCOMPARE(testbilder::lesen(pfad(u"alle.csv"_qs)),
                 testbilder::lesen(pfad(u"einzeln.csv"_qs)));
    }

    void manifest()
    {
        bild(u"m/a,\"b\".bmp"_qs, 200, 200);
        bild(u"m/c.bmp"_qs, 200, 200, "BMP", 2);
        const QStringList ansichten{"m/a,\"b\"_L.bmp", "m/a,\"b\"_R.bmp", "m/c_L.bmp", "m/c_R.bmp"};
        // A name too long for the file system is found out only at the end.
        const QString lang = QString(252, u'm') + u".csv"_qs;
        const Ergebnis e = starten({"--config", "prog/config.ini", "--manifest", lang, "m/c.bmp"});
        QCOMPARE(e.code, 1);
        QCOMPARE(e.fehler, QStringList{"Error: Das Manifest '" + lang +
                                       "' konnte nicht geschrieben werden: der Name ist zu lang"});
        // A direction the frame file spoils fails the run, though it is not cut.
        testbilder::schreiben(pfad(u"prog"_qs), u"config.ini"_qs,
                              testbilder::lesen(pfad(u"prog/config.ini"_qs))
                                  .replace("Height=40", "Height=40\r\nBlickwinkel=500"));
        QCOMPARE(starten({"--config", "prog/config.ini", "--richtungen", "LR", "--ausgabe", "aus",
                          "--liste", "-", "--manifest", "m.csv"},
                         "m/c.bmp\nm/a,\"b\".bmp\n")
                     .code,
                 1);
        // sha256sum judges the hashes; quoted names sort first ('"' is 0x22).
        QProcess summen;
        summen.setWorkingDirectory(pfad(u"aus"_qs));
        summen.start(u"sha256sum"_qs, ansichten);
        QVERIFY(summen.waitForFinished());
        const QStringList s = zeilen(summen.readAllStandardOutput());
        QStringList reihen{
            ManifestKopf, "\"m/a,\"\"b\"\"_L.bmp\",\"m/a,\"\"b\"\".bmp\",L,5,3,41,300,37254,",
            "\"m/a,\"\"b\"\"_R.bmp\",\"m/a,\"\"b\"\".bmp\",R,150,20,33,17,1754,",
            "m/c_L.bmp,m/c.bmp,L,5,3,41,300,37254,", "m/c_R.bmp,m/c.bmp,R,150,20,33,17,1754,"};
        // Pictures without metadata leave its four columns empty.
        for (int i = 0; i < 4; ++i)
            reihen[i + 1] += s[i].left(64) + u",,,,,,"_qs;
        QCOMPARE(QString::fromUtf8(testbilder::lesen(pfad(u"m.csv"_qs))),
                 reihen.join(u'\n') + u'\n');
    }

    void rigMitMetadaten()
    {
        // A photo with capture time, position and heading, cut as a rig's
        // pictures: a folder per direction, the rig's files, and the manifest
        // with where, when and which way.
        testbilder::schreiben(pfad(u"b"_qs), u"quelle.jpg"_qs,
                              testbilder::testdatei(u"metadaten/quelle.jpg"_qs));
        testbilder::schreiben(pfad(u"prog"_qs), u"r.ini"_qs,
                              formhelfer::konfiguration(u"Links"_qs, 0, 0, 24, 32) +
                                  formhelfer::konfiguration(u"Vorwärts"_qs, 16, 16, 40, 30) +
                                  "Gier=12,5\r\n");
        const Ergebnis e = starten({"--config", "prog/r.ini", "--ordner", "je-richtung", "--format",
                                    "jpg", "--ausgabe", "aus", "--manifest", "m.csv", "b"});
        QCOMPARE(e.code, 0);
        QCOMPARE(testbilder::inhalt(pfad(u"aus"_qs)),
                 (QStringList{"L", "V", "kameras.txt", "rig.json"}));
        QCOMPARE(testbilder::inhalt(pfad(u"aus/V"_qs)), QStringList{"quelle.jpg"});
        // FocalLength 4.5 mm at 2000 pixels per cm: 900 pixels.
        QCOMPARE(zeilen(testbilder::lesen(pfad(u"aus/kameras.txt"_qs))).mid(3),
                 (QStringList{"1 PINHOLE 24 32 900 900 48 32", "2 PINHOLE 40 30 900 900 32 16"}));
        QCOMPARE(zeilen(testbilder::lesen(pfad(u"m.csv"_qs)))
                     .mid(1)
                     .replaceInStrings(QRegularExpression(u",\\w{64},"_qs), u",#,"_qs),
                 (QStringList{"L/quelle.jpg,b/quelle.jpg,L,0,0,24,32," +
                                  QString::number(QFileInfo(pfad(u"aus/L/quelle.jpg"_qs)).size()) +
                                  ",#,2024-05-01T12:34:56.789+02:00,52.5163,13.3777,280,,",
                              "V/quelle.jpg,b/quelle.jpg,V,16,16,40,30," +
                                  QString::number(QFileInfo(pfad(u"aus/V/quelle.jpg"_qs)).size()) +
                                  ",#,2024-05-01T12:34:56.789+02:00,52.5163,13.3777,22.5,,"}));
        QCOMPARE(
            starten({"--config", "prog/r.ini", "--ordner", "nebeneinander", "b"}).fehler,
            QStringList{u"sichtwerk-schnitt: Unbekannte Anordnung 'nebeneinander' in --ordner: "
                        u"erlaubt sind gemeinsam und je-richtung (Hilfe: sichtwerk-schnitt "
                        u"--help)"_qs});
    }

    void nurNeue_data()
    {
        QTest::addColumn<QString>("was");
        QTest::addColumn<QStringList>("geschnitten");
        QTest::newRow("nichts geändert") << "" << QStringList{};
        QTest::newRow("Bild berührt") << "berühren" << QStringList{"u/b.bmp"};
        // As cp -p or rsync -a leave it: new bytes under an old time.
        QTest::newRow("Bild mit alter Zeit ersetzt") << "ersetzen" << QStringList{"u/b.bmp"};
        QTest::newRow("Ansicht fehlt") << "löschen" << QStringList{"c.bmp"};
        QTest::newRow("Ansicht mit alter Zeit") << "Ansicht alt" << QStringList{"a.bmp"};
        // A frame made unusable, all views newer still: its error must come again.
        for (const char* eintrag : {"Width=-90", "Height=0"})
            QTest::newRow(eintrag) << eintrag << QStringList{"a.bmp", "c.bmp", "u/b.bmp"};
        QTest::newRow("Doppelgänger berührt") << "doppelt" << QStringList{};
        // Replaced as cp -p leaves it, or exactly as old as the views.
        for (const char* config : {"Konfiguration mit alter Zeit ersetzt", "gleich alt"})
            QTest::newRow(config) << config << QStringList{"a.bmp", "c.bmp", "u/b.bmp"};
    }
    void nurNeue()
    {
        QFETCH(QString, was);
        QFETCH(QStringList, geschnitten);
        const QStringList alle{"a.bmp", "c.bmp", "u/b.bmp"};
        for (const QString& name : alle)
            bild(u"n/"_qs + name, 200, 200);
        // Never cut: its views would replace those of a.bmp, also where
        // a.bmp is skipped as unchanged.
        bild(u"n/a.jpg"_qs, 200, 200, "JPEG");
        const QString doppelt = u"Error: a.jpg nicht ausgeschnitten: seine Ansichten hießen wie "
                                u"die von a.bmp"_qs;
        const QStringList argumente{
            "--config", "prog/config.ini", "--nur-neue", "--rekursiv", "--ausgabe", "aus", "n"};
        QCOMPARE(geschnittene(starten(argumente).aus), alle);
        auto zeitSetzen = [this, jetzt = QDateTime::currentDateTime()](const QString& name,
                                                                       qint64 sekunden) {
            QFile f(pfad(name));
            return f.open(QIODevice::Append) &&
                   f.setFileTime(jetzt.addSecs(sekunden), QFileDevice::FileModificationTime);
        };
        if (was == u"berühren")
            QVERIFY(zeitSetzen(u"n/u/b.bmp"_qs, 1));
        if (was == u"ersetzen") {
            bild(u"n/u/b.bmp"_qs, 200, 200, "BMP", 9);
            QVERIFY(zeitSetzen(u"n/u/b.bmp"_qs, -3600));
        }
        if (was == u"Ansicht alt")
            QVERIFY(zeitSetzen(u"aus/a_V.bmp"_qs, -3600));
        if (was.contains(u'='))
            testbilder::schreiben(
                pfad(u"prog"_qs), u"config.ini"_qs,
                testbilder::lesen(pfad(u"prog/config.ini"_qs))
                    .replace(was.startsWith(u'W') ? "Width=90" : "Height=40", was.toUtf8()));
        if (was.contains(u'=') || was == u"gleich alt") {
            for (const QString& ansicht : dateibaum(pfad(u"aus"_qs)).keys())
                QVERIFY(zeitSetzen(u"aus/"_qs + ansicht, 60));
        }
        if (was.startsWith(u"Konfiguration") || was == u"gleich alt")
            QVERIFY(zeitSetzen(u"prog/config.ini"_qs, was == u"gleich alt" ? 60 : -3600));
        if (was == u"löschen")
            QVERIFY(QFile::remove(pfad(u"aus/c_V.bmp"_qs)));
        if (was == u"doppelt")
            QVERIFY(zeitSetzen(u"n/a.jpg"_qs, 1));

        const Ergebnis e = starten(argumente);
        QCOMPARE(e.code, 1);
        QStringList fehler = e.fehler;
        const qsizetype rahmen =
            fehler.removeIf([](const QString& z) { return z.contains(u"Rahmen mit Breite"); });
        QCOMPARE(rahmen, was.contains(u'=') ? 3 : 0);
        QCOMPARE(fehler, QStringList{doppelt});
        QCOMPARE(geschnittene(e.aus), geschnitten);
        QStringList uebersprungen;
        for (const QString& name : alle) {
            if (!geschnitten.contains(name))
                uebersprungen << name + u": unverändert, übersprungen"_qs;
        }
        QCOMPARE(e.aus.filter(u": unverändert"_qs), uebersprungen);
        QCOMPARE(
            e.aus.filter(QRegularExpression(u"^Bilder: "_qs)).value(0),
            QStringLiteral("Bilder: %1 ausgeschnitten, %2 unverändert übersprungen, %3 mit Fehlern")
                .arg(geschnitten.size() - rahmen)
                .arg(uebersprungen.size())
                .arg(1 + rahmen));
    }

    void falscherAufruf_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("warum");
        // A call a line: "name | arguments | the reason the program gives".
        const QByteArray aufrufe = QByteArray(FalscheAufrufe);
        for (const QString& zeile : zeilen(aufrufe)) {
            const QStringList teile = zeile.split(u" | "_qs);
            QTest::newRow(teile[0].toUtf8().constData()) << teile[1].split(u' ') << teile[2];
        }
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

    // The progress line a terminal shows: drawn at most every 200 ms, wiped for
    // an error line and drawn again at once, its last state always, wiped at the end.
    void fortschrittszeile()
    {
        std::FILE* aus = std::tmpfile();
        std::FILE* fehler = std::tmpfile();
        QElapsedTimer uhr;
        uhr.start();
        {
            cli::Ausgabe ausgabe(aus, fehler, /*fortschritt=*/true);
            ausgabe.fortschritt(0, 4);
            ausgabe.zeile(u"a.bmp:"_qs); // standard output is no terminal here
            ausgabe.fortschritt(1, 4);
            ausgabe.zeile(u"Error: a.bmp"_qs);
            for (int fertig = 2; fertig <= 4; ++fertig)
                ausgabe.fortschritt(fertig, 4);
        }
        if (uhr.elapsed() >= 200)
            QSKIP("Zu langsam, um das Drosseln zu sehen");
        auto inhalt = [](std::FILE* f) {
            QFile datei;
            return datei.open(f, QIODevice::ReadOnly) && datei.seek(0) ? datei.readAll() : "";
        };
        QCOMPARE(inhalt(aus), "a.bmp:\nError: a.bmp\n");
        const QByteArray schirm = inhalt(fehler);
        QVERIFY(schirm.startsWith("\r0 von 4 Bildern, 0,0 Bilder/s, noch ?\r "));
        QStringList bild; // what the terminal shows after each carriage return
        for (const QByteArray& teil : schirm.split('\r')) {
            const QString text = QString::fromUtf8(teil).section(u',', 0, 0).trimmed();
            if (!teil.isEmpty())
                bild << (text.isEmpty() ? u"leer"_qs : text);
        }
        QCOMPARE(bild, QStringList({"0 von 4 Bildern", "leer", "Error: a.bmp", "2 von 4 Bildern",
                                    "4 von 4 Bildern", "leer"}));
    }
};

QTEST_MAIN(TestSchnitt)
#include "tst_schnitt.moc"
