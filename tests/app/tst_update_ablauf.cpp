// The whole self-update against a real HTTP server on 127.0.0.1: the version
// check, the file stage with its list, where the files end up, downloads
// that fail, the update window and the hand-over to the update script.

#include "app/Form3.h"
#include "app/Rechteck.h"
#include "update/Download.h"
#include "update/Signatur.h"
#include "update/Stufe.h"
#include "update/UpdateListe.h"
#include "update/UpdateSkript.h"

#include "Dialoghelfer.h"
#include "TestHttpServer.h"
#include "Testbilder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char DateistufeTabelle[] = R"tabelle(# name	vorher	liste	fehler	Label2	danach
drei Einträge		1|a|/a|;2|b|/b|;3|c|/c|		3/3 'c'	P/a=a;P/b=b;P/c=c
Lücke nach Datei2		1|a|/a|;2|b|/b|;4|d|/d|		2/3 'b'	P/a=a;P/b=b
# A file the signature names that does not arrive refuses the whole update.
Eintrag ohne URL		1|a|/a|;2|b||;3|c|/c|	b	1/3 'a'	abgelehnt
Namen leer		1||/a|		0/-1	
vorhandener Ordner	P/plugins/a=alt;P/plugins/b=bleibt	1|a|/a|\plugins\		1/1 'a'	P/plugins;P/plugins/a=a;P/plugins/b=bleibt
# Refused before any request: "/boese" is never asked for.
Namen und Ordner nach außen		1|..\x|/boese|;2|../x|/boese|;3|/x|/boese|;4|C:x|/boese|;5|..|/boese|;6|x|/boese|\..\;7|x|/boese|nebenan\;8|x|/boese|\a\..\..\;9|b|/b|	..\x;../x;/x;C:x;..;x;x;x	1/9 'b'	P/b=b
Verknüpfung nach außen	draussen/;P/plugins->draussen	1|a|/a|\plugins\neu\	a	1/1 'a'	draussen;P/a=a;P/plugins
Server antwortet nie	P/a=alt	1|a|/nie|;2|b|/b|	a	1/2 'b'	abgelehnt
# What an aborted update may have left where the downloads go.
alte Stufe als Datei	P/.update-stufe=alt	1|a|/a|		1/1 'a'	P/a=a
alte Stufe als Verknüpfung	draussen/;P/.update-stufe->draussen	1|a|/a|		1/1 'a'	draussen;P/a=a
)tabelle";

const char AbgelehntTabelle[] =
    R"tabelle(# case	the log line, as a pattern; none: refused before anything else is asked for
Programmdatei geändert	^Updatefehler: Datei 'Sichtwerk.dxe' stimmt nicht mit
Skript geändert	^Updatefehler: Datei 'update.cmd' stimmt nicht mit
Listendatei geändert	^Updatefehler: Datei 'x.dat' stimmt nicht mit
Eintrag mehr	^Updatefehler: Datei 'updatedata.txt' stimmt nicht mit
Datei fehlt	^Updatefehler: Datei 'x.dat' fehlt
Skript nicht signiert	^Updatefehler: Datei 'update.cmd' ist nicht signiert
Zeile geändert	^Updatefehler: Signatur ungültig$
fremder Schlüssel	^Updatefehler: Signatur ungültig$
ältere Version	^Updatefehler: die Signatur gilt für Version '1,200'
keine Signatur	^Updatefehler: keine Signatur
ohne Schlüssel	^Updatefehler: kein Schlüssel
Ziel ist ein Ordner	^Updatefehler: '.*x.dat' ist ein Ordner
Programmdatei fehlt	
)tabelle";

const QString pfadVersion = u"/wandelbuch/Sichtwerk/version.txt"_qs;
const QString pfadProgramm = u"/wandelbuch/Sichtwerk/Sichtwerk.txt"_qs;
const QString pfadSkript = u"/wandelbuch/Sichtwerk/update.txt"_qs;
const QString pfadListe = u"/wandelbuch/Sichtwerk/updatedata.txt"_qs;
const QString pfadSignatur = u"/wandelbuch/Sichtwerk/signatur.txt"_qs;
const QString erfolg = u"Update erfolgreich!"_qs;
// What an update with program file and script leaves beside the listed files.
const QStringList grundbestand = {u"P"_qs, u"P/Sichtwerk.dxe=neu"_qs, u"P/update.cmd=S"_qs};

// An update list from entries "number|name|path on the test server|folder";
// an empty part leaves its key out.
QByteArray updateListe(const QStringList& eintraege, const QUrl& server)
{
    QByteArray namen = "[Namen]\r\n", urls = "[URL]\r\n", ordner = "[Pfad]\r\n";
    for (const QString& eintrag : eintraege) {
        const QList<QByteArray> t = eintrag.toLatin1().split('|');
        const QByteArray schluessel = "Datei" + t[0] + '=';
        if (!t[1].isEmpty())
            namen += schluessel + t[1] + "\r\n";
        if (!t[2].isEmpty())
            urls += schluessel + server.toEncoded() + t[2] + "\r\n";
        if (!t[3].isEmpty())
            ordner += schluessel + t[3] + "\r\n";
    }
    return namen + urls + ordner;
}

// A program folder "P" in a temporary folder, so that anything written
// beside it shows, and a server that offers version 2 with program and
// script, signed with a key of the test's own.
struct Lauf
{
    QTemporaryDir wurzel;
    QString programm = wurzel.path() + u"/P"_qs;
    TestHttpServer server;
    Form3 form{programm, server.url()};
    int beendet = 0;
    QList<GeseheneBox> boxen;
    std::pair<QByteArray, QByteArray> schluessel = update::neuesSchluesselpaar();
    QMap<QString, QByteArray> signiert; // local name and content

    Lauf()
    {
        QDir().mkpath(programm);
        server.bedienen(pfadVersion, "Version: 2,000\r\n");
        liefern(pfadProgramm, u"Sichtwerk.dxe"_qs, "neu");
        liefern(pfadSkript, u"update.cmd"_qs, "S");
        form.setzeSchluessel(schluessel.first);
        form.setzeLaufendeVersion(u"1,300"_qs);
        form.setzeBeenden([this] { ++beendet; });
        update::DownloadGrenzen grenzen;
        grenzen.verbindung = grenzen.stillstand = std::chrono::milliseconds(300);
        form.setzeDownloadGrenzen(grenzen);
    }
    void starten(QMessageBox::StandardButton antwort = QMessageBox::Yes)
    {
        BoxBeobachter beobachter(antwort);
        form.Updatetest();
        boxen = beobachter.boxen();
    }
    void liefern(const QString& pfad, const QString& name, const QByteArray& inhalt)
    {
        server.bedienen(pfad, inhalt);
        signiert.insert(name, inhalt);
        signieren();
    }
    QByteArray signieren(const QString& version = u"2,000"_qs, const QByteArray& geheim = {})
    {
        update::Manifest manifest{version, {}};
        for (auto it = signiert.cbegin(); it != signiert.cend(); ++it)
            manifest.dateien.append({it.key(), update::sha256(it.value())});
        const QByteArray text =
            update::manifestSchreiben(manifest, geheim.isEmpty() ? schluessel.second : geheim);
        server.bedienen(pfadSignatur, text);
        return text;
    }
    template <typename T> T* kind(const char* name) { return form.findChild<T*>(name); }
    bool scharf()
    {
        return kind<QTimer>("Timer1")->isActive() && kind<QTimer>("Timer2")->isActive();
    }
};

} // namespace

class TestUpdateAblauf final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_arbeitsordner;

private slots:
    // Everything must land in the program folder, never in the working directory.
    void initTestCase() { QVERIFY(QDir::setCurrent(m_arbeitsordner.path())); }
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanup() { QCOMPARE(baum(m_arbeitsordner.path()), QStringList()); }

    void versionspruefung_data()
    {
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<bool>("englisch");
        QTest::addColumn<bool>("frage");
        auto zeile = [](const char* name, const QByteArray& datei, bool frage, bool en = false) {
            QTest::newRow(name) << datei << en << frage;
        };
        zeile("1,301", "Version: 1,301", true);
        zeile("1,300", "Version: 1,300", false);
        zeile("1,2", "Version: 1,2", false);
        zeile("Blanks um die Zahl", "Version:   1,5  \r\n", true);
        zeile("nur die letzte Zeile zählt", "Version: 9,0\r\nVersion: 1,2", false);
        zeile("einzelnes CR trennt", "Version: 1,0\rVersion: 2,0", true);
        zeile("einzelnes LF trennt nicht", "Version: 1,0\nVersion: 2,0", false);
        zeile("kurze letzte Zeile", "Version: 2,0\r\n2,0", false);
        zeile("kurze Zeile davor", "Version: 1,0\r\n-\r\nVersion: 9,0", true);
        zeile("keine endliche Zahl", "Version: inf", false);
        zeile("zu groß für eine Versionsdatei", QByteArray(70000, ' ') + "\r\nVersion: 9,0", false);
        zeile("englisch: 1,301 ist 1301", "Version: 1,301", true, true);
        zeile("englisch: 2 ist weniger als 1300", "Version: 2", false, true);
    }
    void versionspruefung()
    {
        QFETCH(QByteArray, datei);
        QFETCH(bool, englisch);
        QFETCH(bool, frage);
        if (englisch)
            QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Lauf lauf;
        lauf.server.bedienen(pfadVersion, datei);
        lauf.starten(QMessageBox::No);
        QCOMPARE(lauf.boxen.size(), frage ? 1 : 0);
        if (frage) {
            const GeseheneBox& box = lauf.boxen.front();
            QCOMPARE(box.titel, u"Update"_qs);
            QCOMPARE(box.text,
                     u"eine neuere Version des Sichtwerks ist verfügbar, wollen sie updaten?"_qs);
            QCOMPARE(box.symbol, QMessageBox::NoIcon);
            QCOMPARE(box.knoepfe, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.standard, QMessageBox::Yes);
        }
        // Answered No or never asked: nothing fetched, the version file gone.
        QCOMPARE(lauf.server.anfragen(pfadProgramm), 0);
        QCOMPARE(baum(lauf.wurzel.path()), QStringList{u"P"_qs});
        QVERIFY(!lauf.form.isVisible());
        QVERIFY(!lauf.kind<QTimer>("Timer1")->isActive());
    }

    void dateistufe_data()
    {
        // Rows of update/dateistufe.tsv; lists in them are split at ';'. Files before and
        // after as `baum` gives them; before the update, "folder/" and "link->target" make those.
        QTest::addColumn<QStringList>("vorher");
        QTest::addColumn<QStringList>("liste");
        QTest::addColumn<QStringList>("fehler"); // names in the error boxes
        QTest::addColumn<QString>("label2");     // "k/n 'name'": the bar stands at k/n
        QTest::addColumn<QStringList>("danach"); // besides program file and script
        const QString tabelle = QString::fromUtf8(QByteArray(DateistufeTabelle));
        auto teile = [](const QString& s) { return s.split(u';', Qt::SkipEmptyParts); };
        for (const QString& zeile : tabelle.split(u'\n', Qt::SkipEmptyParts)) {
            if (zeile.startsWith(u'#'))
                continue;
            const QStringList t = zeile.split(u'\t');
            QTest::newRow(t[0].toUtf8().constData())
                << teile(t[1]) << teile(t[2]) << teile(t[3]) << t[4] << teile(t[5]);
        }
    }
    void dateistufe()
    {
        QFETCH(QStringList, vorher);
        QFETCH(QStringList, liste);
        QFETCH(QStringList, fehler);
        QFETCH(QString, label2);
        QFETCH(QStringList, danach);

        Lauf lauf;
        for (const QString& eintrag : vorher) {
            const QString pfad = lauf.wurzel.filePath(eintrag.section(u'=', 0, 0));
            if (eintrag.endsWith(u'/'))
                QDir().mkpath(pfad);
            else if (eintrag.contains(u"->"_qs))
                QFile::link(lauf.wurzel.filePath(eintrag.section(u"->"_qs, 1)),
                            lauf.wurzel.filePath(eintrag.section(u"->"_qs, 0, 0)));
            else
                schreibeDatei(pfad, eintrag.section(u'=', 1).toUtf8());
        }
        for (const QString& name : {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs})
            lauf.server.bedienen(u"/"_qs + name, name.toLatin1());
        lauf.server.nieAntworten(u"/nie"_qs);
        // Signed as the signing tool does it: what one pass over the list reads.
        const QByteArray listentext = updateListe(liste, lauf.server.url());
        const QString listendatei = schreibeDatei(m_arbeitsordner.filePath(u"l"_qs), listentext);
        for (const update::ListenEintrag& e : update::alleEintraege(listendatei)) {
            const QString pfad = QUrl(e.url).path();
            if (!e.name.isEmpty() && pfad != u"/boese")
                lauf.signiert.insert(e.name, pfad.mid(1).toLatin1());
        }
        QFile::remove(listendatei);
        lauf.liefern(pfadListe, u"updatedata.txt"_qs, listentext);
        const QStringList zuvor = baum(lauf.wurzel.path());
        const bool angenommen = danach != QStringList{u"abgelehnt"_qs};

        QElapsedTimer uhr;
        uhr.start();
        lauf.starten();
        QVERIFY2(uhr.elapsed() < 5000, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(lauf.boxen.size(), fehler.size() + (angenommen ? 1 : 2));
        // Title and icon of error boxes are checked in abgelehnt().
        for (qsizetype i = 0; i < fehler.size(); ++i)
            QCOMPARE(lauf.boxen[i + 1].text, u"Updatefehler bei Datei '"_qs + fehler[i] + u'\'');
        QCOMPARE(lauf.form.isVisible(), angenommen);
        if (!angenommen)
            QCOMPARE(lauf.boxen.back().text, u"Update fehlgeschlagen"_qs);
        QCOMPARE(lauf.kind<QLabel>("Label2")->text(), u"Datei: "_qs + label2);
        const int k = label2.section(u'/', 0, 0).toInt(),
                  n = label2.section(u' ', 0, 0).section(u'/', 1).toInt();
        QVERIFY(qAbs(lauf.kind<Rechteck>("Shape2")->breite() - (k ? 100.0 * k / n : 0)) < 1e-3);
        QStringList erwartet = grundbestand + danach;
        erwartet.sort();
        QCOMPARE(baum(lauf.wurzel.path()), angenommen ? erwartet : zuvor);
        QCOMPARE(lauf.server.anfragen(u"/boese"_qs), 0);
        QCOMPARE(lauf.scharf(), angenommen);
        QCOMPARE(lauf.beendet, 0);
    }

    void herunterladen_data()
    {
        QTest::addColumn<QString>("adresse"); // a path on the test server, or a whole URL
        QTest::addColumn<qint64>("grenze");
        QTest::addColumn<update::DownloadErgebnis>("ergebnis");
        QTest::addColumn<QString>("grund"); // the file's content on success
        using E = update::DownloadErgebnis;
        const QString zuGross = u"die Antwort ist zu groß"_qs;
        auto zeile = [](const char* name, const char* adresse, qint64 grenze, E ergebnis,
                        const QString& grund) {
            QTest::newRow(name) << QString::fromUtf8(adresse) << grenze << ergebnis << grund;
        };
        zeile("genau an der Grenze", "/hundert", 100, E::Erfolg, QString(100, u'h'));
        // Refused on the announced length alone, before the body that never comes.
        zeile("Grenze 0, nur angekündigt", "/kopf", 0, E::ZuGross, zuGross);
        // Qt reads a length that is no number as none: then only the body counts.
        zeile("Länge keine Zahl", "/ohne", -1, E::Erfolg, u"abc"_qs);
        zeile("Länge keine Zahl, Grenze 0", "/ohne", 0, E::ZuGross, zuGross);
        // An error page is no body: its length counts for nothing.
        zeile("Status 500", "/kaputt", 5, E::HttpFehler, u"der Server meldet den Status 500"_qs);
        // Qt itself sees the connection close before the announced end.
        zeile("abgeschnitten", "/kurz", -1, E::Verbindungsfehler, u"Connection closed"_qs);
        zeile("Umleitung auf Status 299", "/um", -1, E::Erfolg, u"a"_qs);
        // Longer than the stall limit in all, but never silent that long.
        zeile("langsam, aber stetig", "/langsam", -1, E::Erfolg, u"langsam"_qs);
        zeile("Server antwortet nie", "/nie", -1, E::Zeitueberschreitung,
              u"der Server antwortet nicht"_qs);
        for (const char* url : {"ftp://127.0.0.1/a", "file:///etc/hostname", "http:/a", "a/b",
                                "http://127.0.0.1:99999/a"})
            zeile(url, url, -1, E::UngueltigeAdresse, u"keine gültige HTTP-Adresse"_qs);
    }
    void herunterladen()
    {
        QFETCH(QString, adresse);
        QFETCH(qint64, grenze);
        QFETCH(update::DownloadErgebnis, ergebnis);
        QFETCH(QString, grund);
        TestHttpServer server;
        server.bedienen(u"/hundert"_qs, QByteArray(100, 'h'));
        server.abschneiden(u"/kurz"_qs, QByteArray(10000, 'k'), 4000);
        server.abschneiden(u"/kopf"_qs, "a", 0);
        server.bedienen(u"/299"_qs, "a", 299);
        server.ankuendigen(u"/ohne"_qs, "abc", "?");
        server.umleiten(u"/um"_qs, "/299");
        server.troepfeln(u"/langsam"_qs, "langsam", 100);
        server.bedienen(u"/kaputt"_qs, "kaputt", 500);
        server.nieAntworten(u"/nie"_qs);
        QTemporaryDir ordner;
        const QString ziel = schreibeDatei(ordner.filePath(u"ziel"_qs), "alt");
        update::DownloadGrenzen grenzen;
        grenzen.verbindung = grenzen.stillstand = std::chrono::milliseconds(300);
        grenzen.hoechstGroesse = grenze;
        QString fehler;
        const QUrl url = adresse.startsWith(u'/') ? server.url(adresse) : QUrl(adresse);
        QCOMPARE(update::herunterladen(url, ziel, grenzen, &fehler), ergebnis);
        const bool erfolg = ergebnis == update::DownloadErgebnis::Erfolg;
        QCOMPARE(baum(ordner.path()), QStringList{u"ziel="_qs + (erfolg ? grund : u"alt"_qs)});
        if (!erfolg)
            QVERIFY2(fehler.endsWith(u": "_qs + grund), qPrintable(fehler));
    }

    void platzieren_data()
    {
        // Every place lies in the program folder P and gets its own name as
        // content; before it holds a=alt, and c as a folder, f as a file.
        QTest::addColumn<QStringList>("ziele");
        QTest::addColumn<QString>("grund"); // empty: all placed, else P as before
        QTest::newRow("ersetzt und neu") << QStringList{u"a"_qs, u"neu/tief/b"_qs} << QString();
        QTest::newRow("Ziel ist ein Ordner")
            << QStringList{u"a"_qs, u"d1/d2/b"_qs, u"c"_qs}
            << u"Updatefehler: 'P/c' ist ein Ordner, keine Datei"_qs;
        QTest::newRow("Ordner über einer Datei")
            << QStringList{u"a"_qs, u"f/b"_qs}
            << u"Updatefehler: Ordner für 'P/f/b' konnte nicht angelegt werden"_qs;
    }
    void platzieren()
    {
        QFETCH(QStringList, ziele);
        QFETCH(QString, grund);
        QTemporaryDir wurzel;
        const QString programm = wurzel.filePath(u"P"_qs);
        schreibeDatei(programm + u"/a"_qs, "alt");
        schreibeDatei(programm + u"/f"_qs, "datei");
        QVERIFY(QDir().mkpath(programm + u"/c"_qs));
        const QStringList zuvor = baum(programm);
        const std::optional<QString> stufe = update::stufeAnlegen(programm);
        QVERIFY(stufe);
        QList<update::Platzierung> plan;
        for (const QString& ziel : ziele) {
            plan.append(
                {*stufe + u'/' + QString(ziel).replace(u'/', u'_'), programm + u'/' + ziel});
            schreibeDatei(plan.last().quelle, ziel.toUtf8());
        }
        QString fehler;
        QCOMPARE(update::allePlatzieren(plan, *stufe, &fehler), grund.isEmpty());
        update::stufeEntfernen(*stufe);
        if (grund.isEmpty()) {
            QCOMPARE(baum(programm), (QStringList{u"a=a"_qs, u"c"_qs, u"f=datei"_qs, u"neu"_qs,
                                                  u"neu/tief"_qs, u"neu/tief/b=neu/tief/b"_qs}));
            return;
        }
        QCOMPARE(fehler, grund.replace(u"'P"_qs, u"'"_qs + QDir::toNativeSeparators(programm)));
        // The replaced file back, the folders made gone.
        QCOMPARE(baum(programm), zuvor);
    }

    void schlichteDateinamen()
    {
        for (const char* name : {"", ".", "..", "...", "a/b", "a\\b", "C:x", "a\tb", "a\x7f"})
            QVERIFY2(!update::istSchlichterDateiname(QString::fromLatin1(name)), name);
        for (const char* name : {"a", ".a", "a..b", "neue karte.dat"})
            QVERIFY2(update::istSchlichterDateiname(QString::fromLatin1(name)), name);
        // The place for a name stays inside also where the caller has not checked the name.
        QVERIFY(!update::ablageFuer(u"/p"_qs, u"\\"_qs, u".."_qs));
    }

    void manifestLesen_data()
    {
        // The writer signs whatever lines the version text carries, which lets a
        // test sign lines that the writer itself would never make.
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("fehler");
        const QString hash = QString(64, u'a');
        auto zeile = [](const char* n, const QString& version, const char* fehler) {
            QTest::newRow(n) << version << QString::fromUtf8(fehler);
        };
        zeile("CR LF", u"2,000\r\n"_qs + hash + u"  a.dat\r\n"_qs + hash.toUpper() + u"  b"_qs, "");
        zeile("ohne Namen", u"2,000\n"_qs + hash + u"  \n"_qs + hash + u"  b"_qs, "Zeile 3");
        zeile("Name doppelt", u"2,000\n"_qs + hash + u"  x.dat"_qs, "Zeile 4");
        zeile("kein Hex", u"2,000\n"_qs + QString(64, u'g') + u"  a.dat"_qs, "Zeile 3");
        zeile("ein Leerzeichen", u"2,000\n"_qs + hash + u" a.dat"_qs, "Zeile 3");
    }
    void manifestLesen()
    {
        QFETCH(QString, version);
        QFETCH(QString, fehler);
        const auto [oeffentlich, geheim] = update::neuesSchluesselpaar();
        const QByteArray text =
            update::manifestSchreiben({version, {{u"x.dat"_qs, update::sha256("x")}}}, geheim);
        QString grund;
        const auto manifest = update::manifestPruefen(text, oeffentlich, &grund);
        if (!fehler.isEmpty()) {
            QVERIFY(!manifest);
            QCOMPARE(grund, u"Updatefehler: Signaturdatei fehlerhaft in "_qs + fehler);
            return;
        }
        QVERIFY2(manifest, qPrintable(grund));
        QCOMPARE(manifest->version, u"2,000"_qs);
        const QByteArray a(32, '\xaa');
        QCOMPARE(manifest->dateien,
                 (decltype(manifest->dateien){
                     {u"a.dat"_qs, a}, {u"b"_qs, a}, {u"x.dat"_qs, update::sha256("x")}}));
        // Without its signature line the text is no manifest.
        QVERIFY(!update::manifestPruefen(text.first(text.lastIndexOf("Signatur: ")), oeffentlich,
                                         &grund));
        QCOMPARE(grund, u"Updatefehler: Signaturdatei fehlerhaft in Zeile 5"_qs);
        // A version that names no file is a manifest; one without a version is not.
        const auto leer = update::manifestPruefen(
            update::manifestSchreiben({u"2,000"_qs, {}}, geheim), oeffentlich, &grund);
        QVERIFY2(leer && leer->dateien.isEmpty(), qPrintable(grund));
        QVERIFY(!update::manifestPruefen(update::manifestSchreiben({u" "_qs, {}}, geheim),
                                         oeffentlich, &grund));
        QCOMPARE(grund, u"Updatefehler: Signaturdatei fehlerhaft in Zeile 3"_qs);
        // A key of another length is no key, also when it is good base64.
        QVERIFY(update::manifestSchreiben({u"2,000"_qs, {}}, oeffentlich).isEmpty());
        QVERIFY(!update::schluesselAusBase64(geheim.toBase64(), 32));
    }

    void abgelehnt_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("grund"); // the log line, as a pattern
        const QString tabelle = QString::fromUtf8(QByteArray(AbgelehntTabelle));
        for (const QString& zeile : tabelle.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList t = zeile.split(u'\t');
            if (!zeile.startsWith(u'#'))
                QTest::newRow(t[0].toUtf8().constData()) << t[0] << t[1];
        }
    }
    void abgelehnt()
    {
        QFETCH(QString, fall);
        QFETCH(QString, grund);
        Lauf lauf;
        schreibeDatei(lauf.programm + u"/Sichtwerk.dxe"_qs, "alt");
        schreibeDatei(lauf.programm + u"/daten/y.dat"_qs, "alt");
        lauf.liefern(u"/x"_qs, u"x.dat"_qs, "x");
        lauf.liefern(pfadListe, u"updatedata.txt"_qs,
                     updateListe({u"1|x.dat|/x|\\daten\\"_qs}, lauf.server.url()));
        if (fall == u"Programmdatei geändert")
            lauf.server.bedienen(pfadProgramm, "neu!");
        else if (fall == u"Skript geändert")
            lauf.server.bedienen(pfadSkript, "rm -rf ~");
        else if (fall == u"Listendatei geändert")
            lauf.server.bedienen(u"/x"_qs, "y");
        else if (fall == u"Eintrag mehr")
            lauf.server.bedienen(
                pfadListe,
                updateListe({u"1|x.dat|/x|\\daten\\"_qs, u"2|y.dat|/x|"_qs}, lauf.server.url()));
        else if (fall == u"Datei fehlt")
            lauf.server.bedienen(u"/x"_qs, "weg", 404);
        else if (fall == u"Skript nicht signiert")
            (lauf.signiert.remove(u"update.cmd"_qs), lauf.signieren());
        else if (fall == u"Zeile geändert")
            lauf.server.bedienen(pfadSignatur, lauf.signieren().replace("2,000", "2,00"));
        else if (fall == u"fremder Schlüssel")
            lauf.signieren(u"2,000"_qs, update::neuesSchluesselpaar().second);
        else if (fall == u"ältere Version")
            lauf.signieren(u"1,200"_qs);
        else if (fall == u"keine Signatur")
            lauf.server.bedienen(pfadSignatur, "weg", 404);
        else if (fall == u"ohne Schlüssel")
            lauf.form.setzeSchluessel({});
        else if (fall == u"Ziel ist ein Ordner")
            QDir().mkpath(lauf.programm + u"/daten/x.dat"_qs);
        else if (fall == u"Programmdatei fehlt")
            lauf.server.bedienen(pfadProgramm, "weg", 404);
        const QStringList zuvor = baum(lauf.wurzel.path());

        if (!grund.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(grund));
        QSignalSpy protokoll(&lauf.form, &Form3::protokollieren);
        lauf.starten();
        QCOMPARE(protokoll.size(), grund.isEmpty() ? 0 : 1);
        if (!grund.isEmpty())
            QVERIFY(protokoll[0][0].toString().contains(QRegularExpression(grund)));
        const GeseheneBox& box = lauf.boxen.back();
        QCOMPARE(box.text, u"Update fehlgeschlagen"_qs);
        QCOMPARE(box.titel, u"Error"_qs);
        QCOMPARE(box.symbol, QMessageBox::Critical);
        QCOMPARE(lauf.boxen.size(), fall == u"Datei fehlt" ? 3 : 2);
        QCOMPARE(baum(lauf.wurzel.path()), zuvor);
        QVERIFY(!lauf.form.isVisible());
        QVERIFY(!lauf.kind<QTimer>("Timer1")->isActive());
        QVERIFY(!lauf.kind<QTimer>("Timer2")->isActive());
        if (fall == u"Programmdatei fehlt")
            QCOMPARE(lauf.server.anfragen(pfadSkript) + lauf.server.anfragen(pfadListe), 0);
    }

    void uebergabe()
    {
        // Without a file list the window stays hidden and nothing is asked
        // beyond the question; the hand-over is armed at once.
        Lauf lauf;
        lauf.liefern(pfadSkript, u"update.cmd"_qs, "pwd > marke.txt\n");
        lauf.starten();
        QCOMPARE(lauf.boxen.size(), 1);
        QVERIFY(!lauf.form.isVisible());
        QVERIFY(lauf.scharf());
        auto* label1 = lauf.kind<QLabel>("Label1");
        QCOMPARE(label1->text(), erfolg);
        QTRY_VERIFY_WITH_TIMEOUT(label1->text().isEmpty(), 1500);
        QTRY_COMPARE_WITH_TIMEOUT(label1->text(), erfolg, 1500);
        QCOMPARE(lauf.beendet, 0);

        // When Timer1 runs out (its five seconds are checked in fenster()),
        // /bin/sh runs the script in the program folder and the program ends, once.
        const QString marke = lauf.programm + u"/marke.txt"_qs;
        QTest::failOnWarning(QRegularExpression(u"Updateskript"_qs));
        lauf.kind<QTimer>("Timer1")->start(1);
        QTRY_COMPARE(lauf.beendet, 1);
        QTRY_VERIFY(QFileInfo(marke).size() > 0);
        QCOMPARE(QFileInfo(QString::fromLocal8Bit(testbilder::lesen(marke).trimmed()))
                     .canonicalFilePath(),
                 QFileInfo(lauf.programm).canonicalFilePath());
        QTest::qWait(600);
        QCOMPARE(lauf.beendet, 1);
        // Where the program folder is gone the script cannot start.
        QVERIFY(!update::starteUpdateSkript(lauf.wurzel.filePath(u"weg"_qs)));
    }

    void fenster()
    {
        Lauf lauf;
        Form3& form = lauf.form;
        QVERIFY(form.isWindow() && form.isHidden());
        QCOMPARE(form.windowTitle(), u"Form3"_qs);
        QCOMPARE(form.size(), QSize(449, 142));
        auto* timer1 = lauf.kind<QTimer>("Timer1");
        QCOMPARE(timer1->interval(), 5000);
        QVERIFY(timer1->isSingleShot());
        QCOMPARE(lauf.kind<QTimer>("Timer2")->interval(), 500);
        QVERIFY(!lauf.scharf());
        auto* shape1 = lauf.kind<Rechteck>("Shape1");
        auto* shape2 = lauf.kind<Rechteck>("Shape2");
        QCOMPARE(lauf.kind<QLabel>("Label2")->text(), u"Datei: 1/1 'Dateiname'"_qs);
        QVERIFY(lauf.kind<QLabel>("Label1")->font().bold());
        // At 100 units the bar covers the whole track.
        shape2->setzeBreite(100.0f);
        QCOMPARE(shape2->width(), shape1->width());
        const QImage bild = form.grab().toImage();
        QCOMPARE(QColor(bild.pixel(8 + 433, 96)), QColor(128, 128, 255));
        QVERIFY(QColor(bild.pixel(8 + 440, 96)) != QColor(192, 192, 255));
    }
};

QTEST_MAIN(TestUpdateAblauf)
#include "tst_update_ablauf.moc"
