// The batch engine against the plain loop over bildAusschneiden: the same
// files to the byte, the same log, whatever the threads do.

#include "Testbilder.h"
#include "views/Ausschnitt.h"
#include "views/Bildladen.h"
#include "views/Meldungen.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace schnitt;

namespace {

struct Lauf
{
    QStringList protokoll;
    QString letztedatei;
    QStringList namen; // in the order handed over
    QList<Bildschnitt> ergebnisse;
};

QString ausgabe(const QString& programm, const QString& name = {})
{
    return QDir(programm).filePath(QStringLiteral("ausgeschnitten/") + name);
}

} // namespace

class TestStapel final : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_quellen;

    void quelle(const QString& name, const QByteArray& inhalt)
    {
        QVERIFY(!testbilder::schreiben(m_quellen, name, inhalt).isEmpty());
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_quellen = m_tmp->filePath(QStringLiteral("bilder"));
        QVERIFY(QDir().mkpath(m_quellen));
    }

    void gleichWieNacheinander_data()
    {
        QTest::addColumn<QList<Schnitt>>("schnitte");
        QTest::addColumn<bool>("teilweise"); // whether some JPEG is decoded only in part
        // FrameRechteck: Top, Left, Width, Height.
        QTest::newRow("ungerade Rechtecke, ungültige dazwischen")
            << QList<Schnitt>{{u'L', {7, 3, 37, 61}},
                              {u'R', {17, 201, 55, 33}},
                              {u'/', {0, 0, 10, 10}},
                              {u'V', {1, 45, 150, 101}},
                              {u'Z', {130, -4, 0, 70}}}
            << true;
        QTest::newRow("über alle Ränder") << QList<Schnitt>{{u'L', {-10, -10, 50, 50}},
                                                            {u'R', {200, 600, 100, 100}},
                                                            {u'V', {0, 0, 700, 500}}}
                                          << false;
        // Nothing to cut, yet every picture is read, so that a damaged one is reported.
        QTest::newRow("nur ungültige")
            << QList<Schnitt>{{u'L', {0, 0, 0, 10}}, {u'/', {0, 0, 10, 10}}} << false;
    }
    void gleichWieNacheinander()
    {
        QFETCH(QList<Schnitt>, schnitte);
        QFETCH(bool, teilweise);
        const QImage gross = testbilder::fotoaehnlich(640, 480, 1);
        const QImage klein = testbilder::fotoaehnlich(300, 220, 2);
        // Three of one stem: the first by name, the large BMP that takes
        // longest and is the batch's very first picture, is cut; the two
        // after it are refused, their views not written over its views.
        quelle("A.jpg", testbilder::kodieren(gross, "JPEG", 90));
        quelle("A.bmp", testbilder::kodieren(testbilder::fotoaehnlich(1600, 1200, 9), "BMP"));
        quelle("A.gif", testbilder::testdatei("szene.gif"));
        quelle("G.BMP", testbilder::kodieren(klein, "BMP"));
        quelle("b.jpg",
               testbilder::kodieren(testbilder::fotoaehnlich(333, 257, 3), "JPEG", 85, true));
        quelle("c.jpg",
               testbilder::kodieren(
                   testbilder::fotoaehnlich(410, 300, 4).convertToFormat(QImage::Format_Grayscale8),
                   "JPEG", 90));
        quelle("d.jpg", testbilder::kodieren(testbilder::fotoaehnlich(517, 389, 5), "JPEG", 100));
        quelle("e.jpg", testbilder::testdatei("gedreht.jpg"));
        quelle("f.jpg", testbilder::testdatei("neustart.jpg"));
        quelle("kaputt.jpg", "kein Bild");
        quelle("riesig.jpg", testbilder::testdatei("riesig.jpg")); // refused only when decoded
        const QByteArray ganz = testbilder::kodieren(gross, "JPEG", 75);
        quelle("halb.jpg", ganz.left(ganz.size() / 2));
        quelle("jpg", ganz); // too short a name for a base name
        for (int i = 0; i < 4; ++i)
            quelle(QStringLiteral("h%1.jpg").arg(i),
                   testbilder::kodieren(testbilder::fotoaehnlich(200, 150, 10 + i), "JPEG", 80));

        // The first picture continues the heading of an earlier cut.
        const QString programmA = m_tmp->filePath(QStringLiteral("nacheinander"));
        const QString programmB = m_tmp->filePath(QStringLiteral("parallel"));
        Lauf soll{{}, QStringLiteral("g.bmp"), {}, {}}, ist = soll;
        quelle("weg.bmp", testbilder::kodieren(klein, "BMP"));
        const QStringList namen = bilderFuerStapel(m_quellen);
        // Deleted between the listing and the cut.
        QVERIFY(QFile::remove(QDir(m_quellen).filePath("weg.bmp")));
        for (const QString& name : namen) {
            if (name == u"A.jpg" || name == u"A.gif")
                soll.protokoll << u"Error: "_qs + name +
                                      u" nicht ausgeschnitten: seine Ansichten hießen wie die "
                                      u"von A.bmp"_qs;
            else
                soll.protokoll +=
                    bildAusschneiden(m_quellen, name, schnitte, programmA, soll.letztedatei).zeilen;
        }
        stapelSchneiden(m_quellen, namen, schnitte, programmB,
                        [&](Bildschnitt&& ergebnis, int fertig, int gesamt) {
                            QCOMPARE(fertig, ist.namen.size() + 1);
                            QCOMPARE(gesamt, namen.size());
                            ist.protokoll += protokollieren(ergebnis, ist.letztedatei);
                            ist.namen.append(ergebnis.dateiname);
                            ist.ergebnisse.append(std::move(ergebnis));
                        });
        QCOMPARE(ist.namen, namen);
        QCOMPARE(ist.protokoll, soll.protokoll);
        QCOMPARE(ist.letztedatei, soll.letztedatei);
        QVERIFY(soll.protokoll.filter(QStringLiteral("Error: ")).size() >= 4);
        QVERIFY(
            soll.protokoll.contains(meldung::NichtGeladen.arg(u"weg.bmp", meldung::GrundFehlt)));
        if (QDir(ausgabe(programmA)).isEmpty(QDir::Files))
            QVERIFY(QDir(ausgabe(programmB)).isEmpty(QDir::Files));
        else
            QCOMPARE(testbilder::ordnerUnterschied(ausgabe(programmA), ausgabe(programmB)),
                     QString());

        // What the results carry: the picture's whole size and, where only a
        // part was decoded, exactly the pixels of the full decode there.
        bool teilGesehen = false;
        for (const Bildschnitt& b : ist.ergebnisse) {
            if (b.bild.isNull())
                continue;
            const GeladenesBild voll = bildLaden(QDir(m_quellen).filePath(b.dateiname));
            QCOMPARE(b.vollGroesse, voll.bild.size());
            QVERIFY2(b.bild == voll.bild.copy(QRect(b.ursprung, b.bild.size())),
                     qPrintable(b.dateiname));
            teilGesehen |= b.bild.size() != b.vollGroesse;
        }
        QCOMPARE(teilGesehen, teilweise);
    }

    void fensterBegrenzt()
    {
        const int fenster = stapelFenster();
        QVERIFY(fenster >= 2);
        const int anzahl = 3 * fenster + 2;
        for (int i = 0; i < anzahl; ++i)
            quelle(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')),
                   testbilder::kodieren(testbilder::fotoaehnlich(64, 48, 100 + i), "BMP"));
        const QString programm = m_tmp->filePath(QStringLiteral("programm"));
        auto view = [&](int i) {
            return ausgabe(programm, QStringLiteral("p%1_L.bmp").arg(i, 2, 10, QLatin1Char('0')));
        };

        // While picture k is handed over, the engine has started the pictures
        // up to k + fenster − 1 and must not start the next before it returns.
        QStringList verstoesse;
        int aufrufe = 0;
        stapelSchneiden(
            m_quellen, bilderFuerStapel(m_quellen), QList<Schnitt>{{u'L', {0, 0, 10, 10}}},
            programm, [&](Bildschnitt&&, int fertig, int) {
                ++aufrufe;
                if (QThread::currentThread() != thread())
                    verstoesse << QStringLiteral("Bild %1 auf fremdem Thread").arg(fertig);
                const int k = fertig - 1;
                const int zuletzt = std::min(k + fenster - 1, anzahl - 1);
                if (!QTest::qWaitFor([&] { return QFile::exists(view(zuletzt)); }, 10000))
                    verstoesse << QStringLiteral("Bild %1 nicht vorausgeschnitten").arg(zuletzt);
                if (k + fenster < anzahl && QFile::exists(view(k + fenster)))
                    verstoesse << QStringLiteral("Bild %1 zu früh").arg(k + fenster);
            });
        QCOMPARE(aufrufe, anzahl);
        QCOMPARE(verstoesse, QStringList());
    }

    // Where the batch decodes only a part of a picture, or none, it writes what a single cut
    // writes: a panorama stored turned is sampled after it is turned whole, beside a small
    // rectangle; a view that needs pixels, beside one cut without decoding.
    void einzelnWieImStapel()
    {
        quelle("p.jpg", testbilder::kodieren(testbilder::fotoaehnlich(64, 128, 7), "JPEG", 90));
        QCOMPARE(QProcess::execute(u"exiftool"_qs, {u"-q"_qs, u"-n"_qs, u"-overwrite_original"_qs,
                                                    u"-Orientation=6"_qs, m_quellen + "/p.jpg"}),
                 0);
        quelle("q.jpg", testbilder::kodieren(testbilder::fotoaehnlich(160, 120, 8), "JPEG", 90));
        Schnittplan gedreht({{u'R', {0, 0, 16, 16}}, {u'V', {0, 0, 32, 24}, {{90, 0, 0, false}}}});
        gedreht.vorlage.exif = true;
        Schnittplan verlustfrei({{u'L', {16, 16, 32, 32}}, {u'R', {5, 7, 20, 20}}});
        verlustfrei.ausgabe.format = frames::Ausgabeformat::jpg;
        verlustfrei.ausgabe.verlustfrei = true;
        for (const auto& [name, plan] : {std::pair{"p.jpg", gedreht}, {"q.jpg", verlustfrei}}) {
            const QString einzeln = m_tmp->filePath(u"einzeln/"_qs + name);
            const QString stapel = m_tmp->filePath(u"stapel/"_qs + name);
            QCOMPARE(bildSchneidenIn(m_quellen, name, plan, einzeln).dateien.size(), 2);
            stapelSchneidenIn({{m_quellen, name}}, plan, stapel, [](Bildschnitt&&, int, int) {});
            QCOMPARE(testbilder::ordnerUnterschied(einzeln, stapel), QString());
        }
    }

    void direktWieUeberAnsicht_data()
    {
        QTest::addColumn<QPoint>("ursprung"); // where the decoded part lies
        QTest::addColumn<FrameRechteck>("rechteck");
        // FrameRechteck: Top, Left, Width, Height; the part is 101 × 77. Every
        // remainder of the row length modulo four needs its own padding.
        const QPoint ganz(0, 0), teil(30, 12);
        for (int breite : {1, 2, 3, 4})
            QTest::addRow("Breite %d", breite) << ganz << FrameRechteck{5, 7, qint16(breite), 3};
        QTest::newRow("rundum größer") << ganz << FrameRechteck{-2, -2, 107, 83};
        QTest::newRow("ganz daneben") << ganz << FrameRechteck{200, 300, 9, 5};
        QTest::newRow("Teil: innen") << teil << FrameRechteck{20, 40, 13, 7};
        // Outside the decoded part reads as uncovered.
        QTest::newRow("Teil: über seine Ränder") << teil << FrameRechteck{0, 0, 150, 100};
    }
    void direktWieUeberAnsicht()
    {
        QFETCH(QPoint, ursprung);
        QFETCH(FrameRechteck, rechteck);
        const QImage quelle = testbilder::fotoaehnlich(101, 77, 12);
        const QImage ansicht = ausschneiden(quelle, ursprung, rechteck);
        const QString pfad = m_tmp->filePath(QStringLiteral("ansicht.bmp"));
        QString fehler;
        QVERIFY2(ansichtSpeichern(ansicht, pfad, &fehler), qPrintable(fehler));
        const QByteArray bmp = ansichtAlsBmp(quelle, ursprung, rechteck);
        QVERIFY(bmp == testbilder::lesen(pfad));
        // And both are what Qt itself writes for that view: 24 bits, uncompressed.
        QVERIFY(bmp == testbilder::kodieren(ansicht, "BMP"));
        // Rows of another layout are never read as B, G, R, X; no view has no width.
        const QImage rgb888 = quelle.convertToFormat(QImage::Format_RGB888);
        QVERIFY(ansichtAlsBmp(rgb888, ursprung, rechteck).isNull() &&
                ansichtAlsBmp(quelle, ursprung, QRect(0, 0, 0, 5)).isNull());
    }
};

QTEST_GUILESS_MAIN(TestStapel)
#include "tst_stapel.moc"
