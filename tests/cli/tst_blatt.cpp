// sichtwerk-schnitt --uebersicht: the sheet of a folder as the library draws
// it, its exit code for red tiles, the tile height and the refused calls.

#include "Testbilder.h"
#include "config/Cp1252.h"
#include "config/FrameKonfig.h"
#include "views/Blatt.h"
#include "views/Kacheln.h"
#include "views/Schneider.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace schnitt;

namespace {

struct Ergebnis
{
    int code = -1;
    QString aus, fehler;
};

} // namespace

class TestBlatt final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    QString pfad(const QString& name) const { return m_tmp->filePath(name); }
    Ergebnis starten(const QStringList& argumente) const
    {
        QProcess p;
        p.setWorkingDirectory(m_tmp->path());
        p.start(QStringLiteral(SICHTWERK_SCHNITT), argumente);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    void bild(const QString& name, int w, int h, const char* format, quint32 saat)
    {
        QVERIFY(!testbilder::schreiben(
                     pfad(u"bilder"_qs), name,
                     testbilder::kodieren(testbilder::fotoaehnlich(w, h, saat), format, 90))
                     .isEmpty());
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QDir(m_tmp->path()).mkdir(u"bilder"_qs);
        testbilder::schreiben(
            m_tmp->path(), u"r.ini"_qs,
            cp1252::kodieren(u"[Vorwärts]\r\nTop=20\r\nLeft=40\r\nWidth=400\r\nHeight=300\r\n"
                             u"[Links]\r\nTop=0\r\nLeft=0\r\nWidth=40\r\nHeight=300\r\n"_qs));
        bild(u"a.jpg"_qs, 640, 480, "JPEG", 1);
        bild(u"b.png"_qs, 500, 400, "PNG", 2);
        bild(u"c.bmp"_qs, 640, 480, "BMP", 3);
    }

    // The same pixels as the tiles and the sheet drawn in this process, in
    // the folder's batch order, for any direction and height.
    void wieDieBibliothek_data()
    {
        QTest::addColumn<QString>("richtung");
        QTest::addColumn<int>("hoehe");
        QTest::newRow("V, Vorgabe") << u"V"_qs << 0;
        QTest::newRow("Links, 200") << u"links"_qs << 200;
    }
    void wieDieBibliothek()
    {
        QFETCH(QString, richtung);
        QFETCH(int, hoehe);
        QStringList argumente{u"--config"_qs, u"r.ini"_qs,     u"--uebersicht"_qs, richtung,
                              u"--blatt"_qs,  u"blatt.png"_qs, u"bilder"_qs};
        if (hoehe)
            argumente << u"--kachel"_qs << QString::number(hoehe);
        const Ergebnis e = starten(argumente);
        QCOMPARE(e.code, 0);
        QCOMPARE(e.aus, u"Übersicht mit 3 Bildern geschrieben: blatt.png\n"_qs);

        const frames::FrameKonfiguration k = frames::konfigurationLesen(pfad(u"r.ini"_qs));
        const Richtung r = richtung == u"V" ? Richtung::Vorwaerts : Richtung::Links;
        const auto v =
            kachelvorgabe(k, k.rahmen[size_t(r)], r, hoehe ? hoehe : KachelhoeheStandard);
        QVERIFY(v);
        QList<Kachel> kacheln;
        for (const QString& name : bilderFuerStapel(pfad(u"bilder"_qs)))
            kacheln.append(kachelMachen({pfad(u"bilder"_qs), name}, *v));
        QCOMPARE(kacheln.size(), 3);
        const QImage blatt(pfad(u"blatt.png"_qs));
        QCOMPARE(testbilder::ersterUnterschied(blatt, blattZeichnen(kacheln, v->breite, v->hoehe)),
                 QString());
        // Margins outside, gaps only between tiles, no empty row.
        using L = Blattlayout;
        QCOMPARE(blatt.width() % (v->breite + L::Abstand), 2 * L::Rand - L::Abstand);
        const int spalten = blatt.width() / (v->breite + L::Abstand);
        const int zeilen = (3 + spalten - 1) / spalten;
        QCOMPARE(blatt.height(),
                 2 * L::Rand + zeilen * (v->hoehe + L::Namenshoehe) + (zeilen - 1) * L::Abstand);
    }

    // A picture the frame does not fit and one that cannot be read still get
    // their tiles, and their lines say why.
    void roteKachelGibtEins()
    {
        bild(u"d.png"_qs, 200, 150, "PNG", 4);
        testbilder::schreiben(pfad(u"bilder"_qs), u"e.jpg"_qs, "kein Bild");
        const Ergebnis e = starten({u"--config"_qs, u"r.ini"_qs, u"--uebersicht"_qs, u"V"_qs,
                                    u"--blatt"_qs, u"blatt.png"_qs, u"bilder"_qs});
        QCOMPARE(e.code, 1);
        QVERIFY2(e.aus.contains(u"d.png: Rahmen Vorwärts (Left 40, Top 20, Width 400, Height 300) "
                                u"liegt nicht ganz im Bild (200 × 150)\n"_qs),
                 qPrintable(e.aus));
        QVERIFY(e.fehler.contains(u"Error: e.jpg konnte nicht geladen werden: "_qs));
        QVERIFY(e.aus.endsWith(u"Übersicht mit 5 Bildern geschrieben: blatt.png\n"_qs));
        QVERIFY(!QImage(pfad(u"blatt.png"_qs)).isNull());
    }

    void abgewiesen_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("zeile");
        QTest::newRow("ohne --blatt")
            << QStringList{u"--uebersicht"_qs, u"V"_qs}
            << u"--uebersicht RICHTUNG und --blatt DATEI gehören zusammen"_qs;
        QTest::newRow("--kachel allein")
            << QStringList{u"--kachel"_qs, u"100"_qs} << u"--kachel gilt nur mit --uebersicht"_qs;
        QTest::newRow("--kachel zu klein")
            << QStringList{u"--uebersicht"_qs, u"V"_qs,        u"--blatt"_qs,
                           u"b.png"_qs,        u"--kachel"_qs, u"59"_qs}
            << u"--kachel 59 liegt nicht zwischen 60 und 240"_qs;
        QTest::newRow("Richtung unbekannt")
            << QStringList{u"--uebersicht"_qs, u"X"_qs, u"--blatt"_qs, u"b.png"_qs}
            << u"Unbekannte Richtung 'X' in --uebersicht: erlaubt sind L, R, V und Z"_qs;
        QTest::newRow("mit --pruefen")
            << QStringList{u"--uebersicht"_qs, u"V"_qs, u"--blatt"_qs, u"b.png"_qs, u"--pruefen"_qs}
            << u"--pruefen gilt nicht mit --uebersicht"_qs;
        QTest::newRow("Richtung ohne Rahmen")
            << QStringList{u"--uebersicht"_qs, u"Z"_qs, u"--blatt"_qs, u"b.png"_qs}
            << u"Die Richtung Zurück ist in der Konfigurationsdatei 'r.ini' nicht festgelegt "
               u"(Width fehlt oder ist 0)"_qs;
    }
    void abgewiesen()
    {
        QFETCH(QStringList, argumente);
        QFETCH(QString, zeile);
        const Ergebnis e = starten(QStringList{u"--config"_qs, u"r.ini"_qs} + argumente +
                                   QStringList{u"bilder"_qs});
        QCOMPARE(e.code, 2);
        QVERIFY2(e.fehler.contains(u"sichtwerk-schnitt: "_qs + zeile), qPrintable(e.fehler));
        QVERIFY(!QFile::exists(pfad(u"b.png"_qs)));
    }
};

QTEST_MAIN(TestBlatt)
#include "tst_blatt.moc"
