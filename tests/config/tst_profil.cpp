// Profile files as callers rely on them, and the frame configuration that
// the main window loads from them.

#include "app/Form1.h"
#include "config/Befunde.h"
#include "config/FrameKonfig.h"
#include "config/FrameSlots.h"
#include "config/Profil.h"

#include "Dialoghelfer.h"
#include "Formhelfer.h"
#include "Testbilder.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace profildatei;
using formhelfer::beispielKonfiguration;
using formhelfer::konfiguration;
using formhelfer::konfigurationWaehlen;
using formhelfer::zeigen;

namespace {

QByteArray muell(qsizetype laenge)
{
    QByteArray b(laenge, '\0');
    QRandomGenerator zufall(1252);
    zufall.fillRange(reinterpret_cast<quint32*>(b.data()), laenge / 4);
    return b;
}

// What a frame file says beyond its rectangles, as one line; the headings
// and the video spacing only where a file sets them.
QString zusammenfassung(const frames::FrameKonfiguration& k)
{
    QString panorama;
    for (size_t i = 0; i < 4; ++i) {
        if (const auto& p = k.panorama[i])
            panorama += QStringLiteral("%1 %2/%3/%4/%5 ")
                            .arg(QChar(richtungen[i].buchstabe))
                            .arg(p->blickwinkel)
                            .arg(p->gier)
                            .arg(p->nick)
                            .arg(p->bikubisch);
    }
    QString ist = QStringLiteral("%1 %2 %3 %4 | %5x%6 %7 %8 | %9 | ")
                      .arg(frames::formatEndung(k.ausgabe.format))
                      .arg(k.ausgabe.qualitaet)
                      .arg(k.ausgabe.qualitaetGesetzt)
                      .arg(k.ausgabe.verlustfrei)
                      .arg(k.vorlage.breite)
                      .arg(k.vorlage.hoehe)
                      .arg(k.vorlage.skalieren)
                      .arg(k.vorlage.exif)
                      .arg(panorama.isEmpty() ? u"-"_qs : panorama.trimmed()) +
                  (k.fehler.isEmpty() ? k.meldungen.join(u'\n') : k.fehler);
    if (k.gier != frames::FrameKonfiguration().gier)
        ist += QStringLiteral(" | Gier %1 %2 %3 %4")
                   .arg(k.gier[0])
                   .arg(k.gier[1])
                   .arg(k.gier[2])
                   .arg(k.gier[3]);
    if (k.abstand != schnitt::video::StandardAbstand)
        ist += QStringLiteral(" | Abstand %1 %2/%3")
                   .arg(k.abstand.bilder)
                   .arg(k.abstand.zaehler)
                   .arg(k.abstand.nenner);
    return ist;
}

} // namespace

class TestProfil final : public QObject
{
    Q_OBJECT

private slots:
    void lesen_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("sektion");
        QTest::addColumn<QString>("eintrag"); // null: the key list
        QTest::addColumn<QString>("erwartet");

        const QByteArray datei = "[Links]\r\nTop=5\r\n Blanks =  7 \r\nZitat=\"a b\"\r\n;Alt=1\r\n"
                                 "Leer=\"\"\r\nBlank=   \r\n"
                                 "[Rechts]\nTop=6\n";
        auto zeile = [](const char* name, const QByteArray& inhalt, const QString& sektion,
                        const QString& eintrag, const QString& erwartet) {
            QTest::newRow(name) << inhalt << sektion << eintrag << erwartet;
        };
        zeile("Groß/klein egal", datei, u"LINKS"_qs, u"top"_qs, u"5"_qs);
        zeile("nur LF", datei, u"Rechts"_qs, u"Top"_qs, u"6"_qs);
        zeile("Blanks fallen weg", datei, u"Links"_qs, u"Blanks"_qs, u"7"_qs);
        zeile("Anführungszeichen fallen weg", datei, u"Links"_qs, u"Zitat"_qs, u"a b"_qs);
        zeile("nur Anführungszeichen", datei, u"Links"_qs, u"Leer"_qs, u""_qs);
        zeile("nur Blanks", datei, u"Links"_qs, u"Blank"_qs, u""_qs);
        zeile("Kommentar", datei, u"Links"_qs, u"Alt"_qs, {});
        zeile("Sektion fehlt", datei, u"Zurück"_qs, u"Top"_qs, {});
        zeile("300 Zeichen lesen sich als 254", "[A]\r\nk=" + QByteArray(300, 'x'), u"A"_qs,
              u"k"_qs, QString(254, u'x'));
        zeile("Schlüsselliste", "[A]\r\nA=1\r\nB=2\r\n", u"A"_qs, QString(),
              u"A"_qs + QChar(0) + u"B"_qs + QChar(0));
        zeile("Schlüsselliste, Sektion fehlt", datei, u"Zurück"_qs, QString(), {});
        // 254 characters and the list's zero fill the buffer; one more cuts the name.
        zeile("Schlüsselliste füllt den Puffer", "[A]\r\n" + QByteArray(253, 'k') + "=1", u"A"_qs,
              QString(), QString(253, u'k') + QChar(0));
        zeile("Schlüsselliste ein Zeichen zu lang", "[A]\r\n" + QByteArray(254, 'k') + "=1",
              u"A"_qs, QString(), QString(253, u'k'));
    }
    void lesen()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, sektion);
        QFETCH(QString, eintrag);
        QFETCH(QString, erwartet);
        QTemporaryDir dir;
        QCOMPARE(
            profildatei::lesen(schreibeDatei(dir.filePath(u"p.ini"_qs), inhalt), sektion, eintrag),
            erwartet);
    }

    void schreibenBehaeltAllesAndere()
    {
        QTemporaryDir dir;
        const QString pfad =
            schreibeDatei(dir.filePath(u"alt.ini"_qs), "; Kommentar\n[A]\nx = 1\n\n[B]\nr=2");
        QVERIFY(schreiben(pfad, u"B"_qs, u"s"_qs, u"3"_qs));
        QVERIFY(schreiben(pfad, u"a"_qs, u"X"_qs, u"9"_qs));
        QVERIFY(schreiben(pfad, u"A"_qs, u"neu"_qs, u"5\u00A0€\u00FF\u0080"_qs));
        QVERIFY(schreiben(pfad, u"Vorwärts"_qs, u"Top"_qs, u"1"_qs));
        QVERIFY(schreiben(pfad, u"Zurück"_qs, u"Top"_qs, u"2"_qs));
        // Names and values go to disk in Windows-1252: ä as E4, ü as FC, € as 80;
        // U+0080, which it lacks, as '?'.
        QCOMPARE(testbilder::lesen(pfad),
                 QByteArray("; Kommentar\n[A]\nx=9\nneu=5\xA0\x80\xFF?\r\n\n[B]\nr=2\r\ns=3\r\n"
                            "[Vorw\xE4rts]\r\nTop=1\r\n[Zur\xFC"
                            "ck]\r\nTop=2\r\n"));
        QCOMPARE(profildatei::lesen(pfad, u"Zurück"_qs, u"Top"_qs), u"2"_qs);
    }

    void fehlschlagLaesstDateiHeil()
    {
        QTemporaryDir dir;
        const QString pfad = schreibeDatei(dir.filePath(u"fest.ini"_qs), "[A]\r\nx=1\r\n");
        QFile::setPermissions(pfad, QFileDevice::ReadOwner);
        QString fehler;
        QVERIFY(!schreiben(pfad, u"A"_qs, u"x"_qs, u"2"_qs, &fehler));
        QVERIFY(fehler.contains(u"fest.ini"_qs));
        QCOMPARE(testbilder::lesen(pfad), QByteArray("[A]\r\nx=1\r\n"));
        QVERIFY(!schreiben(dir.filePath(u"fehlt/neu.ini"_qs), u"A"_qs, u"x"_qs, u"2"_qs, &fehler));
        QVERIFY(fehler.endsWith(
            u"neu.ini' konnte nicht geschrieben werden: ein Ordner des Pfads fehlt"_qs));
        QCOMPARE(baum(dir.path()), QStringList{u"fest.ini=[A]\r\nx=1\r\n"_qs});
    }

    void holConfig()
    {
        // German notation, fractions rounded half to even; a bad or too large
        // value and a missing section read as 0; the largest 16-bit value is kept.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QTemporaryDir dir;
        schreibeDatei(dir.filePath(u"config.ini"_qs),
                      "[Links]\r\nTop=150,5\r\nLeft=151,5\r\nWidth=150,6\r\nHeight=abc\r\n"
                      "[Rechts]\r\nTop=32768\r\nLeft=-32768\r\nWidth=12px\r\nHeight= 32767 \r\n");
        schreibeDatei(dir.filePath(u"zwei.ini"_qs), "[Zur\xFC"
                                                    "ck]\r\nTop=1\r\nLeft=2\r\nWidth=3\r\n");
        Form1 form(dir.path(), QUrl());
        QCOMPARE(form.rechteck(Richtung::Links), (FrameRechteck{150, 152, 151, 0}));
        QCOMPARE(form.rechteck(Richtung::Rechts), (FrameRechteck{0, -32768, 0, 32767}));
        QCOMPARE(form.rechteck(Richtung::Vorwaerts), FrameRechteck{});
        QCOMPARE(form.rechteck(Richtung::Zurueck), FrameRechteck{});

        // Each load starts from nothing: what the new file lacks is 0 again.
        framedateien[2] = u"zwei.ini"_qs;
        form.HolConfig(2);
        QCOMPARE(form.rechteck(Richtung::Links), FrameRechteck{});
        QCOMPARE(form.rechteck(Richtung::Rechts), FrameRechteck{});
        QCOMPARE(form.rechteck(Richtung::Zurueck), (FrameRechteck{1, 2, 3, 0}));
    }

    // The optional sections, as one value: output format, reference size and
    // panorama views; what cannot be used is said once, never guessed.
    void neueAbschnitte_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("erwartet");
        // Each NAME.ini there with what NAME.txt says is read from it.
        const QDir ordner(testbilder::testpfad(u"abschnitte"_qs));
        for (const QString& ini : ordner.entryList({u"*.ini"_qs})) {
            const QString txt = ini.chopped(3) + u"txt"_qs;
            QTest::newRow(qUtf8Printable(ini))
                << testbilder::lesen(ordner.filePath(ini))
                << QString::fromUtf8(testbilder::lesen(ordner.filePath(txt)));
        }
    }
    void neueAbschnitte()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, erwartet);
        QTemporaryDir dir;
        const QString pfad = schreibeDatei(dir.filePath(u"k.ini"_qs), inhalt);
        const frames::FrameKonfiguration k = frames::konfigurationLesen(pfad);
        QCOMPARE(zusammenfassung(k), erwartet);
        // Links keeps its rectangle, but as a panorama view that cannot be used.
        if (inhalt.startsWith("[Links]"))
            QCOMPARE(k.rahmen[1],
                     (FrameRechteck{1, 2, qint16(erwartet.contains(u"Blickwinkel 180"_qs) ? 0 : 30),
                                    40}));
    }

    // Each INI example of the README, copied into an editor that saves UTF-8,
    // reads as the text around it says, without a word of complaint.
    void readmeBeispiele()
    {
        const QString readme =
            QString::fromUtf8(testbilder::lesen(testbilder::testpfad(u"../../README.md"_qs)));
        QStringList beispiele;
        static const QRegularExpression block(u"```ini\n(.*?)```"_qs,
                                              QRegularExpression::DotMatchesEverythingOption);
        for (const auto& treffer : block.globalMatch(readme))
            beispiele.append(treffer.captured(1));
        const QStringList erwartet = {
            u"bmp 90 0 0 | 1140x855 1 1 | - | "_qs,
            u"bmp 90 0 0 | 0x0 0 0 | V 90/0/0/0 L 90/-90/10/0 R 75.5/90/0/1 | "_qs,
            u"jpg 85 1 1 | 0x0 0 0 | - | Ausgabeformat: JPEG, Qualität 85, ohne Neukodierung wo "
            "möglich"_qs,
            u"bmp 90 0 0 | 0x0 0 0 | - |  | Abstand 0 2/1"_qs,
            u"jpg 90 0 0 | 0x0 0 0 | - | Ausgabeordner: je Richtung (V, L, R, Z)\nAusgabeformat: "
            "JPEG, Qualität 90"_qs,
        };
        QCOMPARE(beispiele.size(), erwartet.size());
        QTemporaryDir dir;
        for (qsizetype i = 0; i < beispiele.size(); ++i) {
            const QString pfad = schreibeDatei(dir.filePath(u"k.ini"_qs), beispiele[i].toUtf8());
            QCOMPARE(zusammenfassung(frames::konfigurationLesen(pfad)), erwartet[i]);
        }
        // The panorama example's rectangles: Width=0 would still mean "not configured".
        const QString pfad = schreibeDatei(dir.filePath(u"k.ini"_qs), beispiele[1].toUtf8());
        QCOMPARE(frames::laden(pfad)[0], (FrameRechteck{0, 0, 1280, 960}));
    }

    // A frame file is read in its own encoding and written back in it: the
    // umlaut sections survive an editor that saves UTF-8, with or without a
    // byte order mark, and one that saves Windows-1252.
    void kodierungen_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QByteArray>("zurueck"); // "Zurück" as the file writes it
        const QString text = u"; Rahmen für die Fahrt\r\n[Vorwärts]\r\nTop=1\r\nLeft=2\r\n"
                             "Width=3\r\nHeight=4\r\n[Links]\r\nWidth=5\r\n"_qs;
        QTest::newRow("UTF-8") << text.toUtf8()
                               << QByteArray("Zur\xC3\xBC"
                                             "ck");
        QTest::newRow("UTF-8 mit Bytereihenfolgemarke") << "\xEF\xBB\xBF" + text.toUtf8()
                                                        << QByteArray("Zur\xC3\xBC"
                                                                      "ck");
        QTest::newRow("Windows-1252") << text.toLatin1()
                                      << QByteArray("Zur\xFC"
                                                    "ck");
        // "Ã¤" is valid UTF-8 for "ä"; one byte that is not makes it all Windows-1252.
        QTest::newRow("kein gültiges UTF-8") << text.toLatin1() + ";\xC3\xA4\r\n"
                                             << QByteArray("Zur\xFC"
                                                           "ck");
    }
    void kodierungen()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QByteArray, zurueck);
        QTemporaryDir dir;
        const QString pfad = schreibeDatei(dir.filePath(u"k.ini"_qs), inhalt);
        QCOMPARE(frames::laden(pfad)[0], (FrameRechteck{1, 2, 3, 4}));
        QCOMPARE(frames::laden(pfad)[1].width, 5);

        // A changed entry in an umlaut section, and a new umlaut section.
        QVERIFY(frames::rechteckSchreiben(pfad, Richtung::Vorwaerts, {10, 20, 30, 40}));
        QVERIFY(frames::rechteckSchreiben(pfad, Richtung::Zurueck, {6, 7, 8, 9}));
        const QByteArray neu = testbilder::lesen(pfad);
        QVERIFY(neu.startsWith(inhalt.left(inhalt.indexOf("Top="))));
        QVERIFY(neu.endsWith("[" + zurueck + "]\r\nTop=6\r\nLeft=7\r\nWidth=8\r\nHeight=9\r\n"));
        QCOMPARE(profildatei::kodierungVon(neu), profildatei::kodierungVon(inhalt));
        const std::array<FrameRechteck, 4> gelesen = frames::laden(pfad);
        QCOMPARE(gelesen[0], (FrameRechteck{10, 20, 30, 40}));
        QCOMPARE(gelesen[1].width, 5);
        QCOMPARE(gelesen[3], (FrameRechteck{6, 7, 8, 9}));
    }

    // A frame file's likely mistakes, one line each with its line number:
    // logged at start for config.ini and when a file is put into a slot,
    // while the file is read exactly as before. The sample file has none.
    void befunde()
    {
        QTemporaryDir dir;
        const QByteArray fehler = testbilder::testdatei(u"befunde/fehler.ini"_qs);
        const QStringList erwartet =
            QString::fromUtf8(testbilder::testdatei(u"befunde/fehler.txt"_qs))
                .split(u'\n', Qt::SkipEmptyParts);
        schreibeDatei(dir.filePath(u"config.ini"_qs), fehler);
        schreibeDatei(dir.filePath(u"fehler.ini"_qs), fehler);
        schreibeDatei(dir.filePath(u"beispiel.ini"_qs), beispielKonfiguration());
        Form1 form(dir.path(), QUrl());
        zeigen(form);
        QCOMPARE(protokollZeilen(form).filter(u", Zeile "_qs),
                 QStringList(erwartet).replaceInStrings(u"fehler.ini"_qs, u"config.ini"_qs));
        QCOMPARE(form.rechteck(Richtung::Rechts), (FrameRechteck{0, 990, -150, 0}));

        qsizetype vorher = protokollZeilen(form).size();
        konfigurationWaehlen(form, u"fehler.ini"_qs);
        QCOMPARE(protokollZeilen(form).mid(vorher, erwartet.size() + 1),
                 QStringList{u"Datei 'fehler.ini' auf Framenummer 2 eingelesen."_qs} + erwartet);
        vorher = protokollZeilen(form).size();
        konfigurationWaehlen(form, u"beispiel.ini"_qs);
        QCOMPARE(protokollZeilen(form).mid(vorher),
                 QStringList{u"Datei 'beispiel.ini' auf Framenummer 3 eingelesen."_qs});
    }
    void tippAbstand_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("abstand");
        QTest::newRow("gleich bis auf Groß/klein") << u"WIDTH"_qs << u"width"_qs << 0;
        QTest::newRow("vertauscht") << u"Hoehe"_qs << u"Hohee"_qs << 1;
        QTest::newRow("ä für ae") << u"Vorwaerts"_qs << u"Vorwärts"_qs << 2;
        QTest::newRow("leer") << QString() << u"Top"_qs << 3;
    }
    void tippAbstand()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, abstand);
        QCOMPARE(frames::tippAbstand(a, b), abstand);
        QCOMPARE(frames::tippAbstand(b, a), abstand);
    }

    // Frame configuration files as they turn up in practice: damaged, huge,
    // with foreign line ends, or gone. Loading one shows
    // nothing, writes nothing, leaves its bytes as they were, and every value
    // that cannot be read is 0.
    void kaputteKonfiguration_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<bool>("geloescht");
        // Vorwärts, Links, Rechts, Zurück, each Top, Left, Width, Height.
        QTest::addColumn<QList<int>>("erwartet");
        const QList<int> null(16, 0);
        const QByteArray megabyte(1 << 20, '7');

        QTest::newRow("Müll, dann eine gültige Sektion")
            << muell(4096) + "\r\n" + konfiguration(u"Links"_qs, 1, 2, 3, 4) << false
            << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("Zeilen von 1 MB")
            << ";" + megabyte + "\r\n" + konfiguration(u"Links"_qs, 1, 2, 3, 4) +
                   "[Rechts]\r\nWidth=" + megabyte + "\r\nTop=5\r\n"
            << false << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("NUL-Bytes")
            << testbilder::testdatei(u"kaputt/nul.ini"_qs) << false
            << QList<int>{0, 0, 0, 0, 0, 0, 150, 705, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("ohne Zeilenenden")
            << testbilder::testdatei(u"kaputt/ohne-zeilenenden.ini"_qs) << false << null;
        QTest::newRow("gemischte Zeilenenden")
            << testbilder::testdatei(u"kaputt/gemischte-zeilenenden.ini"_qs) << false
            << QList<int>{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 5, 0, 0, 0, 0, 0};
        // The first section of a name counts, and in it the first key.
        QTest::newRow("doppelte Sektionen und Schlüssel")
            << testbilder::testdatei(u"kaputt/doppelt.ini"_qs) << false
            << QList<int>{0, 0, 0, 0, 1, 0, 150, 0, 0, 0, 7, 0, 0, 0, 0, 0};
        QTest::newRow("nach dem Einlesen gelöscht") << beispielKonfiguration() << true << null;
    }

    void kaputteKonfiguration()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(bool, geloescht);
        QFETCH(QList<int>, erwartet);

        QTemporaryDir dir;
        const QString pfad = dir.filePath(u"config.ini"_qs);
        schreibeDatei(pfad, inhalt);
        // Slot 1 takes "config.ini" at start; HolConfig reads it again.
        Form1 form(dir.path(), QUrl());
        if (geloescht)
            QVERIFY(QFile::remove(pfad));
        form.HolConfig(1);

        QList<int> ist;
        for (const RichtungsInfo& r : richtungen) {
            const FrameRechteck f = form.rechteck(r.richtung);
            ist << f.top << f.left << f.width << f.height;
        }
        QCOMPARE(ist, erwartet);
        // The start lines, and what the file's lines say by mistake.
        QCOMPARE(protokollZeilen(form)
                     .filter(QRegularExpression(u"^(?!config.ini, Zeile \\d+: )"_qs))
                     .size(),
                 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 geloescht ? QStringList() : QStringList{u"config.ini"_qs});
        if (!geloescht) {
            QFile datei(pfad);
            QVERIFY(datei.open(QIODevice::ReadOnly));
            QCOMPARE(datei.readAll(), inhalt);
        }
    }
};

QTEST_MAIN(TestProfil)
#include "tst_profil.moc"
