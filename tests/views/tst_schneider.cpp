#include "Testbilder.h"
#include "views/Schneider.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

using namespace schnitt;

class TestSchneider final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void alleRichtungenEinmalGeladen();
    void reihenfolgeLRVZ_data();
    void reihenfolgeLRVZ();
    void ueberschrift_data();
    void ueberschrift();
    void gleichesBildZweimal();
    void ohneHakenNichts();
    void buchstabeWieUebergeben();
    void stapelWieBeschrieben();
    void zweiStapelEineUeberschrift();
    void parallelGleichesProtokoll();
    void istBilddatei_data();
    void istBilddatei();
    void stapelListe();

private:
    QString quelle(const QString& name, quint32 saat, const char* format = "JPEG");
    QString ausgabe(const QString& name) const
    {
        return QDir(m_programm).filePath(QStringLiteral("ausgeschnitten/") + name);
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_quellen;
    QString m_programm;
};

namespace {

const FrameRechteck Links{10, 0, 60, 80};
const FrameRechteck Rechts{10, 140, 60, 80};
const FrameRechteck Vorwaerts{5, 50, 100, 40};
const FrameRechteck Zurueck{100, 70, 80, 50}; // reaches below the picture

std::array<std::optional<FrameRechteck>, 4> alleVier()
{
    std::array<std::optional<FrameRechteck>, 4> a;
    a[size_t(Richtung::Vorwaerts)] = Vorwaerts;
    a[size_t(Richtung::Links)] = Links;
    a[size_t(Richtung::Rechts)] = Rechts;
    a[size_t(Richtung::Zurueck)] = Zurueck;
    return a;
}

QImage erwartet(const QString& quelle, const FrameRechteck& r)
{
    QImage bild = QImage(quelle).convertToFormat(QImage::Format_RGB32);
    QImage soll(r.width, r.height, QImage::Format_RGB32);
    soll.fill(Qt::white);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (bild.valid(r.left + x, r.top + y))
                soll.setPixel(x, y, bild.pixel(r.left + x, r.top + y));
    return soll;
}

const QString Regel = QStringLiteral("====================");

} // namespace

void TestSchneider::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_quellen = m_tmp->filePath("bilder");
    m_programm = m_tmp->filePath("programm");
    QVERIFY(QDir().mkpath(m_quellen));
    QVERIFY(QDir().mkpath(m_programm));
}

QString TestSchneider::quelle(const QString& name, quint32 saat, const char* format)
{
    const QImage foto = testbilder::fotoaehnlich(200, 120, saat);
    const QByteArray inhalt = qstrcmp(format, "GIF") == 0
                                  ? testbilder::gifKodieren(testbilder::mitPalette(foto, true),
                                                            testbilder::TransparenterIndex)
                                  : testbilder::kodieren(foto, format, 90);
    return testbilder::schreiben(m_quellen, name, inhalt);
}

void TestSchneider::alleRichtungenEinmalGeladen()
{
    const QString pfad = quelle("szene1.jpg", 1);
    QString letztedatei = QStringLiteral("vorher.gif");

    // The output folder does not exist yet; the first cut makes it.
    const Schnittprotokoll p = bildAusschneiden(m_quellen, "szene1.jpg", schnitteFuer(alleVier()),
                                                m_programm, letztedatei);

    QCOMPARE(p.zeilen,
             QStringList({Regel, "szene1.jpg:", "Bild LINKS erstellt", "Bild RECHTS erstellt",
                          "Bild VORWÄRTS erstellt", "Bild ZURÜCK erstellt"}));
    QCOMPARE(letztedatei, QStringLiteral("szene1.jpg"));
    QCOMPARE(testbilder::inhalt(m_programm + "/ausgeschnitten"),
             QStringList({"szene1_L.bmp", "szene1_R.bmp", "szene1_V.bmp", "szene1_Z.bmp"}));
    const std::pair<const char*, FrameRechteck> ansichten[] = {{"szene1_L.bmp", Links},
                                                               {"szene1_R.bmp", Rechts},
                                                               {"szene1_V.bmp", Vorwaerts},
                                                               {"szene1_Z.bmp", Zurueck}};
    for (const auto& [name, r] : ansichten) {
        const QString unterschied =
            testbilder::ersterUnterschied(QImage(ausgabe(name)), erwartet(pfad, r));
        QVERIFY2(unterschied.isEmpty(), qPrintable(QString(name) + ": " + unterschied));
    }
    // The decoded picture goes back for the hidden full-size picture box.
    QCOMPARE(p.bild.size(), QSize(200, 120));
    QVERIFY(testbilder::ersterUnterschied(p.bild, QImage(pfad)).isEmpty());
}

void TestSchneider::reihenfolgeLRVZ_data()
{
    QTest::addColumn<QList<int>>("angehakt"); // Richtung values, in the order ticked
    QTest::addColumn<QStringList>("meldungen");

    const int V = int(Richtung::Vorwaerts), L = int(Richtung::Links), R = int(Richtung::Rechts),
              Z = int(Richtung::Zurueck);
    QTest::newRow("V dann L") << QList<int>{V, L}
                              << QStringList{"Bild LINKS erstellt", "Bild VORWÄRTS erstellt"};
    QTest::newRow("Z, V, R") << QList<int>{Z, V, R}
                             << QStringList{"Bild RECHTS erstellt", "Bild VORWÄRTS erstellt",
                                            "Bild ZURÜCK erstellt"};
    QTest::newRow("nur Z") << QList<int>{Z} << QStringList{"Bild ZURÜCK erstellt"};
    QTest::newRow("rückwärts alle")
        << QList<int>{Z, V, R, L}
        << QStringList{"Bild LINKS erstellt", "Bild RECHTS erstellt", "Bild VORWÄRTS erstellt",
                       "Bild ZURÜCK erstellt"};
}

void TestSchneider::reihenfolgeLRVZ()
{
    QFETCH(QList<int>, angehakt);
    QFETCH(QStringList, meldungen);

    quelle("szene1.jpg", 2);
    std::array<std::optional<FrameRechteck>, 4> auswahl;
    for (int r : angehakt)
        auswahl[size_t(r)] = alleVier()[size_t(r)];
    QString letztedatei;
    const Schnittprotokoll p =
        bildAusschneiden(m_quellen, "szene1.jpg", schnitteFuer(auswahl), m_programm, letztedatei);
    QCOMPARE(p.zeilen.mid(2), meldungen);
}

void TestSchneider::ueberschrift_data()
{
    QTest::addColumn<QString>("vorher");
    QTest::addColumn<bool>("mitUeberschrift");

    QTest::newRow("leer") << "" << true;
    QTest::newRow("gleich") << "szene1.jpg" << false;
    QTest::newRow("nur andere Schreibweise") << "SZENE1.JPG" << false;
    QTest::newRow("anderes Bild") << "szene2.jpg" << true;
    QTest::newRow("gleicher Stamm, andere Endung") << "szene1.gif" << true;
}

void TestSchneider::ueberschrift()
{
    QFETCH(QString, vorher);
    QFETCH(bool, mitUeberschrift);

    quelle("szene1.jpg", 3);
    QString letztedatei = vorher;
    const Schnittprotokoll p =
        bildAusschneiden(m_quellen, "szene1.jpg", {{u'R', Rechts}}, m_programm, letztedatei);
    QStringList soll;
    if (mitUeberschrift)
        soll << Regel << "szene1.jpg:";
    soll << "Bild RECHTS erstellt";
    QCOMPARE(p.zeilen, soll);
    QCOMPARE(letztedatei, QStringLiteral("szene1.jpg"));
}

void TestSchneider::gleichesBildZweimal()
{
    quelle("szene1.jpg", 4);
    QString letztedatei;
    QStringList protokoll;
    protokoll +=
        bildAusschneiden(m_quellen, "szene1.jpg", {{u'R', Rechts}}, m_programm, letztedatei).zeilen;
    // The same file under another rectangle: the second write replaces the first.
    const FrameRechteck anders{0, 0, 17, 9};
    protokoll +=
        bildAusschneiden(m_quellen, "szene1.jpg", {{u'R', anders}}, m_programm, letztedatei).zeilen;

    QCOMPARE(protokoll,
             QStringList({Regel, "szene1.jpg:", "Bild RECHTS erstellt", "Bild RECHTS erstellt"}));
    QCOMPARE(testbilder::inhalt(m_programm + "/ausgeschnitten"), QStringList{"szene1_R.bmp"});
    QCOMPARE(QImage(ausgabe("szene1_R.bmp")).size(), QSize(17, 9));
}

void TestSchneider::ohneHakenNichts()
{
    quelle("szene1.jpg", 5);
    QString letztedatei = QStringLiteral("alt.jpg");
    const Schnittprotokoll p =
        bildAusschneiden(m_quellen, "szene1.jpg", {}, m_programm, letztedatei);
    QVERIFY(p.zeilen.isEmpty());
    QVERIFY(p.bild.isNull());
    QCOMPARE(letztedatei, QStringLiteral("alt.jpg"));
    QVERIFY(!QFileInfo::exists(m_programm + "/ausgeschnitten"));
}

void TestSchneider::buchstabeWieUebergeben()
{
    quelle("Halle.JPG", 6);
    QString letztedatei;
    const Schnittprotokoll p = bildAusschneiden(
        m_quellen, "Halle.JPG", {{u'l', Links}, {u'X', Vorwaerts}}, m_programm, letztedatei);
    // An unknown letter still gives its file, only no message.
    QCOMPARE(p.zeilen, QStringList({Regel, "Halle.JPG:", "Bild LINKS erstellt"}));
    QCOMPARE(testbilder::inhalt(m_programm + "/ausgeschnitten"),
             QStringList({"Halle_X.bmp", "Halle_l.bmp"}));
}

void TestSchneider::stapelWieBeschrieben()
{
    quelle("a.jpg", 7);
    quelle("b.gif", 8, "GIF");
    std::array<std::optional<FrameRechteck>, 4> auswahl;
    auswahl[size_t(Richtung::Vorwaerts)] = Vorwaerts;
    auswahl[size_t(Richtung::Links)] = Links;

    QString letztedatei;
    QStringList protokoll;
    for (const QString& name : bilderFuerStapel(m_quellen))
        protokoll +=
            bildAusschneiden(m_quellen, name, schnitteFuer(auswahl), m_programm, letztedatei)
                .zeilen;
    protokoll += stapelSchlusszeilen();

    QCOMPARE(protokoll,
             QStringList({Regel, "a.jpg:", "Bild LINKS erstellt", "Bild VORWÄRTS erstellt", Regel,
                          "b.gif:", "Bild LINKS erstellt", "Bild VORWÄRTS erstellt", Regel,
                          "Fertig!", "=============================="}));
    QCOMPARE(testbilder::inhalt(m_programm + "/ausgeschnitten"),
             QStringList({"a_L.bmp", "a_V.bmp", "b_L.bmp", "b_V.bmp"}));
    QCOMPARE(letztedatei, QStringLiteral("b.gif"));
    // The transparent disc of the GIF comes out white in its view.
    const QImage vorwaerts(ausgabe("b_V.bmp"));
    // Source (100, 40) lies in the disc around the centre (100, 60).
    QCOMPARE(vorwaerts.pixel(100 - Vorwaerts.left, 40 - Vorwaerts.top), qRgb(255, 255, 255));
}

void TestSchneider::zweiStapelEineUeberschrift()
{
    quelle("einzig.bmp", 9, "BMP");
    QString letztedatei;
    QStringList protokoll;
    for (int lauf = 0; lauf < 2; ++lauf) {
        for (const QString& name : bilderFuerStapel(m_quellen))
            protokoll +=
                bildAusschneiden(m_quellen, name, {{u'V', Vorwaerts}}, m_programm, letztedatei)
                    .zeilen;
    }
    QCOMPARE(protokoll, QStringList({Regel, "einzig.bmp:", "Bild VORWÄRTS erstellt",
                                     "Bild VORWÄRTS erstellt"}));
}

void TestSchneider::parallelGleichesProtokoll()
{
    // Mixed pictures, a broken one and one with the previous name in other case.
    for (int i = 0; i < 6; ++i)
        quelle(QStringLiteral("bild%1.jpg").arg(i), 20 + i);
    quelle("bild6.gif", 30, "GIF");
    testbilder::schreiben(m_quellen, "kaputt.jpg", "kein Bild");
    const QList<Schnitt> schnitte = schnitteFuer(alleVier());
    const QStringList namen = bilderFuerStapel(m_quellen);
    QCOMPARE(namen.size(), 8);

    QString letztedatei = QStringLiteral("BILD0.JPG");
    QStringList nacheinander;
    for (const QString& name : namen)
        nacheinander += bildAusschneiden(m_quellen, name, schnitte, m_programm, letztedatei).zeilen;
    const QString letzteNacheinander = letztedatei;

    const QList<Bildschnitt> ergebnisse =
        QtConcurrent::blockingMapped(namen, [&](const QString& name) {
            return bildSchneiden(m_quellen, name, schnitte, m_programm);
        });
    letztedatei = QStringLiteral("BILD0.JPG");
    QStringList parallel;
    for (const Bildschnitt& b : ergebnisse)
        parallel += protokollieren(b, letztedatei);

    QCOMPARE(parallel, nacheinander);
    QCOMPARE(letztedatei, letzteNacheinander);
    QCOMPARE(nacheinander.count(Regel), 6); // bild0 continues the earlier heading
    QCOMPARE(testbilder::inhalt(m_programm + "/ausgeschnitten").size(), 7 * 4);
}

void TestSchneider::istBilddatei_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bild");

    QTest::newRow("jpg") << "a.jpg" << true;
    QTest::newRow("JPG") << "PHOTO.JPG" << true;
    QTest::newRow("Gif gemischt") << "b.GiF" << true;
    QTest::newRow("bmp ohne Punkt") << "skizzexbmp" << true;
    QTest::newRow("nur die Endung") << "bmp" << true;
    QTest::newRow("jpeg") << "photo.jpeg" << false;
    QTest::newRow("png") << "photo.png" << false;
    QTest::newRow("Endung mitten im Namen") << "a.jpg.txt" << false;
    QTest::newRow("zu kurz") << "pg" << false;
}

void TestSchneider::istBilddatei()
{
    QFETCH(QString, name);
    QFETCH(bool, bild);
    QCOMPARE(schnitt::istBilddatei(name), bild);
}

void TestSchneider::stapelListe()
{
    for (const char* name : {"c.Bmp", "a.gif", "b.JPG", "dxbmp", "e.jpeg", "f.png", "g.txt",
                             ".versteckt.jpg", "zz.jpg.bak"})
        QVERIFY(!testbilder::schreiben(m_quellen, name, "x").isEmpty());
    QVERIFY(QDir(m_quellen).mkpath("h.jpg"));
    QVERIFY(!testbilder::schreiben(m_quellen + "/h.jpg", "innen.jpg", "x").isEmpty());

    QCOMPARE(bilderFuerStapel(m_quellen),
             QStringList({".versteckt.jpg", "a.gif", "b.JPG", "c.Bmp", "dxbmp"}));
    QVERIFY(bilderFuerStapel(m_tmp->filePath("fehlt")).isEmpty());
}

QTEST_GUILESS_MAIN(TestSchneider)
#include "tst_schneider.moc"
