#include "Testbilder.h"
#include "views/Ausschnitt.h"
#include "views/Bildladen.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <numeric>
#include <thread>

using namespace schnitt;

// The batch engine against the plain loop over bildAusschneiden: the same
// files to the byte, the same log, whatever the threads do.
class TestStapel final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void gleichWieNacheinander_data();
    void gleichWieNacheinander();
    void gleicherStammLetzterGewinnt();
    void fensterBegrenzt();
    void zeitgeberLaufenWeiter();
    void ohneEreignisschleife();
    void leererStapel();
    void bereichWieVollDekodiert_data();
    void bereichWieVollDekodiert();
    void bmpWieQtsSchreiber_data();
    void bmpWieQtsSchreiber();
    void direktWieUeberAnsicht_data();
    void direktWieUeberAnsicht();

private:
    QString quelle(const QString& name, const QByteArray& inhalt)
    {
        return testbilder::schreiben(m_quellen, name, inhalt);
    }
    void gemischterOrdner();

    struct Lauf
    {
        QStringList protokoll;
        QString letztedatei;
        QStringList namen; // in the order handed over
        QList<int> fertig;
        QList<Bildschnitt> ergebnisse;
    };
    Lauf nacheinander(const QList<Schnitt>& schnitte, const QString& programm,
                      const QString& letztedatei);
    Lauf parallel(const QList<Schnitt>& schnitte, const QString& programm,
                  const QString& letztedatei);
    // "" when both output folders hold the same names with the same bytes.
    static QString ordnerUnterschied(const QString& a, const QString& b);

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_quellen;
};

namespace {

QByteArray jpeg(const QImage& bild, int qualitaet, bool progressiv = false)
{
    QByteArray d;
    QBuffer puffer(&d);
    puffer.open(QIODevice::WriteOnly);
    QImageWriter schreiber(&puffer, "jpeg");
    schreiber.setQuality(qualitaet);
    schreiber.setProgressiveScanWrite(progressiv);
    return schreiber.write(bild) ? d : QByteArray();
}

QString ausgabe(const QString& programm)
{
    return QDir(programm).filePath(QStringLiteral("ausgeschnitten"));
}

QString viewPfad(const QString& programm, const QString& name)
{
    return QDir(ausgabe(programm)).filePath(name);
}

} // namespace

void TestStapel::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_quellen = m_tmp->filePath(QStringLiteral("bilder"));
    QVERIFY(QDir().mkpath(m_quellen));
}

void TestStapel::gemischterOrdner()
{
    const QImage gross = testbilder::fotoaehnlich(640, 480, 1);
    const QImage klein = testbilder::fotoaehnlich(300, 220, 2);
    quelle("a.jpg", jpeg(gross, 90));
    // Same base name as a.jpg and earlier by name: a.jpg's views must win.
    quelle("a.gif", testbilder::gifKodieren(testbilder::mitPalette(klein, true),
                                            testbilder::TransparenterIndex));
    quelle("B.BMP", testbilder::kodieren(klein, "BMP"));
    quelle("b.jpg", jpeg(testbilder::fotoaehnlich(333, 257, 3), 85, true));
    quelle(
        "c.jpg",
        jpeg(testbilder::fotoaehnlich(410, 300, 4).convertToFormat(QImage::Format_Grayscale8), 90));
    quelle("d.jpg", jpeg(testbilder::fotoaehnlich(517, 389, 5), 100));
    quelle("e.jpg", testbilder::jpegMitDrehung(jpeg(testbilder::fotoaehnlich(400, 300, 6), 80), 6,
                                               jpeg(testbilder::fotoaehnlich(16, 12, 7), 50)));
    quelle("f.gif", testbilder::gifKodieren(testbilder::mitPalette(klein, false)));
    quelle("gxbmp", testbilder::kodieren(testbilder::fotoaehnlich(90, 70, 8), "BMP"));
    quelle("kaputt.jpg", "kein Bild");
    const QByteArray ganz = jpeg(gross, 75);
    quelle("halb.jpg", ganz.left(ganz.size() / 2));
    quelle("jpg", ganz); // too short a name for a base name
    for (int i = 0; i < 6; ++i)
        quelle(QStringLiteral("h%1.jpg").arg(i),
               jpeg(testbilder::fotoaehnlich(200, 150, 10 + i), 80));
}

TestStapel::Lauf TestStapel::nacheinander(const QList<Schnitt>& schnitte, const QString& programm,
                                          const QString& letztedatei)
{
    Lauf lauf;
    lauf.letztedatei = letztedatei;
    for (const QString& name : bilderFuerStapel(m_quellen)) {
        lauf.protokoll +=
            bildAusschneiden(m_quellen, name, schnitte, programm, lauf.letztedatei).zeilen;
        lauf.namen.append(name);
    }
    return lauf;
}

TestStapel::Lauf TestStapel::parallel(const QList<Schnitt>& schnitte, const QString& programm,
                                      const QString& letztedatei)
{
    Lauf lauf;
    lauf.letztedatei = letztedatei;
    const QStringList namen = bilderFuerStapel(m_quellen);
    stapelSchneiden(m_quellen, namen, schnitte, programm,
                    [&](Bildschnitt&& ergebnis, int fertig, int gesamt) {
                        if (gesamt != namen.size())
                            lauf.fertig.append(-1);
                        lauf.protokoll += protokollieren(ergebnis, lauf.letztedatei);
                        lauf.namen.append(ergebnis.dateiname);
                        lauf.fertig.append(fertig);
                        lauf.ergebnisse.append(std::move(ergebnis));
                    });
    return lauf;
}

QString TestStapel::ordnerUnterschied(const QString& a, const QString& b)
{
    const QStringList namenA = testbilder::inhalt(a);
    const QStringList namenB = testbilder::inhalt(b);
    if (namenA != namenB)
        return QStringLiteral("Dateien %1 statt %2").arg(namenB.join(u','), namenA.join(u','));
    for (const QString& name : namenA) {
        if (testbilder::lesen(QDir(a).filePath(name)) != testbilder::lesen(QDir(b).filePath(name)))
            return name + QStringLiteral(" unterscheidet sich");
    }
    return {};
}

void TestStapel::gleichWieNacheinander_data()
{
    QTest::addColumn<QList<Schnitt>>("schnitte");
    QTest::addColumn<bool>("teilweise"); // whether some JPEG is decoded only in part

    // FrameRechteck: Top, Left, Width, Height.
    QTest::newRow("ungerade Rechtecke") << QList<Schnitt>{{u'L', {7, 3, 37, 61}},
                                                          {u'R', {17, 201, 55, 33}},
                                                          {u'V', {1, 45, 150, 101}},
                                                          {u'Z', {130, -4, 90, 70}}}
                                        << true;
    QTest::newRow("nur ein Streifen weit unten")
        << QList<Schnitt>{{u'V', {150, 33, 77, 9}}} << true;
    QTest::newRow("über alle Ränder") << QList<Schnitt>{{u'L', {-10, -10, 50, 50}},
                                                        {u'R', {200, 600, 100, 100}},
                                                        {u'V', {0, 0, 700, 500}}}
                                      << false;
    QTest::newRow("ungültige dazwischen")
        << QList<Schnitt>{{u'L', {0, 0, 0, 10}}, {u'/', {0, 0, 10, 10}}, {u'V', {33, 21, 64, 48}}}
        << true;
}

void TestStapel::gleichWieNacheinander()
{
    QFETCH(QList<Schnitt>, schnitte);
    QFETCH(bool, teilweise);
    gemischterOrdner();
    const QString programmA = m_tmp->filePath(QStringLiteral("nacheinander"));
    const QString programmB = m_tmp->filePath(QStringLiteral("parallel"));

    // The first picture continues the heading of an earlier cut.
    const Lauf soll = nacheinander(schnitte, programmA, QStringLiteral("A.GIF"));
    const Lauf ist = parallel(schnitte, programmB, QStringLiteral("A.GIF"));

    QCOMPARE(ist.namen, soll.namen);
    QList<int> eins_bis_n(soll.namen.size());
    std::iota(eins_bis_n.begin(), eins_bis_n.end(), 1);
    QCOMPARE(ist.fertig, eins_bis_n);
    QCOMPARE(ist.protokoll, soll.protokoll);
    QCOMPARE(ist.letztedatei, soll.letztedatei);
    QVERIFY(soll.protokoll.filter(QStringLiteral("Error: ")).size() >= 3);
    QCOMPARE(ordnerUnterschied(ausgabe(programmA), ausgabe(programmB)), QString());

    // What the results carry: the picture's whole size and, where only a
    // part was decoded, exactly the pixels of the full decode there.
    bool teilGesehen = false;
    for (const Bildschnitt& b : ist.ergebnisse) {
        if (b.bild.isNull())
            continue;
        const GeladenesBild voll = bildLaden(QDir(m_quellen).filePath(b.dateiname));
        QVERIFY2(voll.ok(), qPrintable(voll.fehler));
        QCOMPARE(b.vollGroesse, voll.bild.size());
        QVERIFY2(b.bild == voll.bild.copy(QRect(b.ursprung, b.bild.size())),
                 qPrintable(b.dateiname));
        teilGesehen |= b.bild.size() != b.vollGroesse;
    }
    QCOMPARE(teilGesehen, teilweise);
}

void TestStapel::gleicherStammLetzterGewinnt()
{
    // In each group the large BMP comes first by name and takes longest;
    // the small JPEG after it would finish first if both ran at once.
    constexpr int Gruppen = 6;
    for (int k = 0; k < Gruppen; ++k) {
        quelle(QStringLiteral("s%1.bmp").arg(k),
               testbilder::kodieren(testbilder::fotoaehnlich(1600, 1200, 40 + k), "BMP"));
        quelle(QStringLiteral("s%1.jpg").arg(k),
               jpeg(testbilder::fotoaehnlich(200, 150, 60 + k), 90));
    }
    const QList<Schnitt> schnitte{{u'V', {10, 20, 150, 100}}};
    const QString programmA = m_tmp->filePath(QStringLiteral("nacheinander"));
    const QString programmB = m_tmp->filePath(QStringLiteral("parallel"));
    const Lauf soll = nacheinander(schnitte, programmA, {});

    for (int runde = 0; runde < 3; ++runde) {
        QVERIFY(QDir(ausgabe(programmB)).removeRecursively());
        const Lauf ist = parallel(schnitte, programmB, {});
        QCOMPARE(ist.protokoll, soll.protokoll);
        QCOMPARE(ordnerUnterschied(ausgabe(programmA), ausgabe(programmB)), QString());
    }
    // And the survivor is the JPEG's view, not the BMP's.
    for (int k = 0; k < Gruppen; ++k) {
        const QImage jpegBild(QDir(m_quellen).filePath(QStringLiteral("s%1.jpg").arg(k)));
        QCOMPARE(testbilder::ersterUnterschied(
                     QImage(viewPfad(programmB, QStringLiteral("s%1_V.bmp").arg(k))),
                     jpegBild.copy(20, 10, 150, 100)),
                 QString());
    }
}

void TestStapel::fensterBegrenzt()
{
    const int fenster = stapelFenster();
    QVERIFY(fenster >= 2);
    const int anzahl = 3 * fenster + 2;
    for (int i = 0; i < anzahl; ++i)
        quelle(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')),
               testbilder::kodieren(testbilder::fotoaehnlich(64, 48, 100 + i), "BMP"));
    const QString programm = m_tmp->filePath(QStringLiteral("programm"));
    auto view = [&](int i) {
        return viewPfad(programm, QStringLiteral("p%1_L.bmp").arg(i, 2, 10, QLatin1Char('0')));
    };

    // While picture k is handed over, the engine has started the pictures up
    // to k + fenster − 1 and must not start the next before it returns.
    QStringList verstoesse;
    int aufrufe = 0;
    stapelSchneiden(m_quellen, bilderFuerStapel(m_quellen), {{u'L', {0, 0, 10, 10}}}, programm,
                    [&](Bildschnitt&&, int fertig, int) {
                        ++aufrufe;
                        if (QThread::currentThread() != thread())
                            verstoesse << QStringLiteral("Bild %1 auf fremdem Thread").arg(fertig);
                        const int k = fertig - 1;
                        const int zuletzt = std::min(k + fenster - 1, anzahl - 1);
                        if (!QTest::qWaitFor([&] { return QFile::exists(view(zuletzt)); }, 10000))
                            verstoesse
                                << QStringLiteral("Bild %1 nicht vorausgeschnitten").arg(zuletzt);
                        if (k + fenster < anzahl && QFile::exists(view(k + fenster)))
                            verstoesse << QStringLiteral("Bild %1 zu früh").arg(k + fenster);
                    });
    QCOMPARE(aufrufe, anzahl);
    QCOMPARE(verstoesse, QStringList());
}

void TestStapel::zeitgeberLaufenWeiter()
{
    for (int i = 0; i < 4; ++i)
        quelle(QStringLiteral("z%1.jpg").arg(i), jpeg(testbilder::fotoaehnlich(400, 300, i), 90));
    int ticks = 0;
    QTimer zeitgeber;
    zeitgeber.setInterval(0);
    connect(&zeitgeber, &QTimer::timeout, this, [&] { ++ticks; });
    zeitgeber.start();
    int ticksBeimLetzten = -1;
    stapelSchneiden(m_quellen, bilderFuerStapel(m_quellen), {{u'V', {0, 0, 400, 300}}},
                    m_tmp->filePath(QStringLiteral("programm")),
                    [&](Bildschnitt&&, int fertig, int gesamt) {
                        if (fertig == gesamt)
                            ticksBeimLetzten = ticks;
                    });
    // The first picture cannot be done when the engine first waits, and
    // waiting turns the event loop, so a due timer fires.
    QVERIFY(ticksBeimLetzten > 0);
}

void TestStapel::ohneEreignisschleife()
{
    gemischterOrdner();
    const QList<Schnitt> schnitte{{u'L', {7, 3, 37, 61}}, {u'V', {1, 45, 150, 101}}};
    const Lauf soll = nacheinander(schnitte, m_tmp->filePath(QStringLiteral("a")), {});
    Lauf ist;
    // A plain thread has no event dispatcher; the engine must wait without one.
    std::thread faden([&] { ist = parallel(schnitte, m_tmp->filePath(QStringLiteral("b")), {}); });
    faden.join();
    QCOMPARE(ist.protokoll, soll.protokoll);
    QCOMPARE(ordnerUnterschied(ausgabe(m_tmp->filePath(QStringLiteral("a"))),
                               ausgabe(m_tmp->filePath(QStringLiteral("b")))),
             QString());
}

void TestStapel::leererStapel()
{
    int aufrufe = 0;
    stapelSchneiden(m_quellen, {}, {{u'L', {0, 0, 10, 10}}},
                    m_tmp->filePath(QStringLiteral("programm")),
                    [&](Bildschnitt&&, int, int) { ++aufrufe; });
    QCOMPARE(aufrufe, 0);

    // No direction ticked: every picture is handed over, nothing is written.
    quelle("a.jpg", jpeg(testbilder::fotoaehnlich(40, 30, 1), 90));
    quelle("b.jpg", jpeg(testbilder::fotoaehnlich(40, 30, 2), 90));
    QString letztedatei = QStringLiteral("vorher.jpg");
    QStringList protokoll;
    stapelSchneiden(m_quellen, bilderFuerStapel(m_quellen), {},
                    m_tmp->filePath(QStringLiteral("programm")), [&](Bildschnitt&& b, int, int) {
                        ++aufrufe;
                        protokoll += protokollieren(b, letztedatei);
                    });
    QCOMPARE(aufrufe, 2);
    QVERIFY(protokoll.isEmpty());
    QCOMPARE(letztedatei, QStringLiteral("vorher.jpg"));
    QVERIFY(!QFileInfo::exists(ausgabe(m_tmp->filePath(QStringLiteral("programm")))));
}

void TestStapel::bereichWieVollDekodiert_data()
{
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<bool>("nurTeil"); // whether the reader clips this format

    const QImage foto = testbilder::fotoaehnlich(333, 257, 9);
    QTest::newRow("JPEG 4:2:0") << jpeg(foto, 75) << true;
    QTest::newRow("JPEG Qualität 100") << jpeg(foto, 100) << true;
    QTest::newRow("JPEG progressiv") << jpeg(foto, 85, true) << true;
    QTest::newRow("JPEG grau") << jpeg(foto.convertToFormat(QImage::Format_Grayscale8), 90) << true;
    QTest::newRow("JPEG mit Vorschaubild und Drehung")
        << testbilder::jpegMitDrehung(jpeg(foto, 90), 6,
                                      jpeg(testbilder::fotoaehnlich(16, 12, 2), 50))
        << true;
    QTest::newRow("BMP") << testbilder::kodieren(foto, "BMP") << false;
    QTest::newRow("GIF") << testbilder::gifKodieren(testbilder::mitPalette(foto, true),
                                                    testbilder::TransparenterIndex)
                         << false;
}

void TestStapel::bereichWieVollDekodiert()
{
    QFETCH(QByteArray, inhalt);
    QFETCH(bool, nurTeil);
    const QString pfad = quelle("bild.dat", inhalt);
    const GeladenesBild voll = bildLaden(pfad);
    QVERIFY2(voll.ok(), qPrintable(voll.fehler));
    QCOMPARE(voll.vollGroesse, QSize(333, 257));
    QCOMPARE(voll.ursprung, QPoint(0, 0));

    // Odd places and sizes, across MCU borders, at the edges and beyond.
    const QRect bereiche[] = {{3, 5, 301, 203},   {17, 1, 1, 1},    {100, 200, 333, 301},
                              {0, 0, 333, 51},    {332, 256, 1, 1}, {15, 15, 2, 2},
                              {-20, -20, 30, 30}, {7, 250, 300, 7}, {0, 0, 333, 257}};
    for (const QRect& bereich : bereiche) {
        const QString wo = QStringLiteral("%1,%2 %3×%4")
                               .arg(bereich.x())
                               .arg(bereich.y())
                               .arg(bereich.width())
                               .arg(bereich.height());
        const GeladenesBild teil = bereichLaden(pfad, bereich);
        QVERIFY2(teil.ok(), qPrintable(teil.fehler));
        QCOMPARE(teil.vollGroesse, voll.bild.size());
        const QRect erhalten(teil.ursprung, teil.bild.size());
        const QRect noetig = bereich.intersected(voll.bild.rect());
        QVERIFY2(erhalten.contains(noetig), qPrintable(wo));
        QVERIFY2(teil.bild == voll.bild.copy(erhalten), qPrintable(wo));
        if (nurTeil)
            QCOMPARE(erhalten, noetig);
        else
            QCOMPARE(erhalten, voll.bild.rect());
    }
    // A region that misses the picture still checks the file: it is decoded whole.
    const GeladenesBild daneben = bereichLaden(pfad, QRect(500, 500, 10, 10));
    QVERIFY(daneben.ok());
    QVERIFY(daneben.bild == voll.bild);
}

void TestStapel::bmpWieQtsSchreiber_data()
{
    QTest::addColumn<QSize>("groesse");
    QTest::addColumn<int>("punkteJeMeter"); // 0: as a new picture has it

    // Every remainder of the row length modulo four needs its own padding.
    for (int breite : {1, 2, 3, 4, 5, 6, 7, 150, 839})
        QTest::addRow("%d × 3", breite) << QSize(breite, 3) << 0;
    QTest::newRow("eigene Auflösung") << QSize(33, 17) << 1234;
}

void TestStapel::bmpWieQtsSchreiber()
{
    QFETCH(QSize, groesse);
    QFETCH(int, punkteJeMeter);
    QImage ansicht = testbilder::fotoaehnlich(groesse.width(), groesse.height(), 3)
                         .convertToFormat(QImage::Format_RGB888);
    if (punkteJeMeter) {
        ansicht.setDotsPerMeterX(punkteJeMeter);
        ansicht.setDotsPerMeterY(punkteJeMeter + 1);
    }
    QByteArray vonQt;
    QBuffer puffer(&vonQt);
    puffer.open(QIODevice::WriteOnly);
    QVERIFY(QImageWriter(&puffer, "bmp").write(ansicht));

    const QString pfad = m_tmp->filePath(QStringLiteral("ansicht.bmp"));
    QString fehler;
    QVERIFY2(ansichtSpeichern(ansicht, pfad, &fehler), qPrintable(fehler));
    const QByteArray geschrieben = testbilder::lesen(pfad);
    QCOMPARE(geschrieben.size(), vonQt.size());
    QVERIFY(geschrieben == vonQt);
}

void TestStapel::direktWieUeberAnsicht_data()
{
    QTest::addColumn<QPoint>("ursprung"); // where the decoded part lies
    QTest::addColumn<FrameRechteck>("rechteck");

    // FrameRechteck: Top, Left, Width, Height; the part is 101 × 77.
    const QPoint ganz(0, 0), teil(30, 12);
    QTest::newRow("innen") << ganz << FrameRechteck{5, 7, 31, 19};
    QTest::newRow("ganz") << ganz << FrameRechteck{0, 0, 101, 77};
    QTest::newRow("links oben hinaus") << ganz << FrameRechteck{-3, -5, 20, 11};
    QTest::newRow("rechts unten hinaus") << ganz << FrameRechteck{70, 90, 30, 17};
    QTest::newRow("rundum größer") << ganz << FrameRechteck{-2, -2, 107, 83};
    QTest::newRow("ganz daneben") << ganz << FrameRechteck{200, 300, 9, 5};
    QTest::newRow("Teil: innen") << teil << FrameRechteck{20, 40, 13, 7};
    QTest::newRow("Teil: über seine Ränder")
        << teil << FrameRechteck{0, 0, 150, 100}; // outside the part reads as uncovered
    QTest::newRow("ein Pixel") << teil << FrameRechteck{12, 30, 1, 1};
}

void TestStapel::direktWieUeberAnsicht()
{
    QFETCH(QPoint, ursprung);
    QFETCH(FrameRechteck, rechteck);
    const QImage quelle = testbilder::fotoaehnlich(101, 77, 12);

    const QString ueberAnsicht = m_tmp->filePath(QStringLiteral("ansicht.bmp"));
    const QString direkt = m_tmp->filePath(QStringLiteral("direkt.bmp"));
    QString fehler;
    QVERIFY2(ansichtSpeichern(ausschneiden(quelle, ursprung, rechteck), ueberAnsicht, &fehler),
             qPrintable(fehler));
    const QByteArray bmp = ansichtAlsBmp(quelle, ursprung, rechteck);
    QVERIFY(!bmp.isNull());
    QVERIFY2(bmpSpeichern(bmp, direkt, &fehler), qPrintable(fehler));
    QVERIFY(testbilder::lesen(direkt) == testbilder::lesen(ueberAnsicht));
    // And both are what Qt itself writes for that view.
    QByteArray vonQt;
    QBuffer puffer(&vonQt);
    puffer.open(QIODevice::WriteOnly);
    QVERIFY(QImageWriter(&puffer, "bmp").write(ausschneiden(quelle, ursprung, rechteck)));
    QVERIFY(bmp == vonQt);
}

QTEST_GUILESS_MAIN(TestStapel)
#include "tst_stapel.moc"
