// Frames scaled to pictures of other sizes, and pictures stored on their
// side turned upright, against pictures ImageMagick turned.

#include "views/Geometrie.h"

#include "Testbilder.h"

#include <QBuffer>
#include <QImageReader>
#include <QTest>

using namespace schnitt;

namespace {

frames::Vorlage vorlage(qint64 breite, qint64 hoehe)
{
    frames::Vorlage v;
    v.breite = breite;
    v.hoehe = hoehe;
    v.skalieren = true;
    return v;
}

// The sample frames, set up on 1140 × 855 (FrameRechteck: Top, Left, Width, Height).
const FrameRechteck Links{0, 0, 150, 705}, Vorwaerts{0, 150, 840, 705}, Rechts{0, 990, 150, 705},
    Zurueck{705, 0, 1140, 150};

} // namespace

class TestGeometrie final : public QObject
{
    Q_OBJECT

private slots:
    void skalieren_data()
    {
        QTest::addColumn<FrameRechteck>("rahmen");
        QTest::addColumn<QSize>("vorlage");
        QTest::addColumn<QSize>("bild");
        QTest::addColumn<QRect>("erwartet");
        QTest::newRow("doppelt") << Vorwaerts << QSize(1140, 855) << QSize(2280, 1710)
                                 << QRect(300, 0, 1680, 1410);
        // 705 · 428 / 855 = 352.91: the bottom edge 353, the strip below from there.
        QTest::newRow("halb, ungerade Höhe")
            << Vorwaerts << QSize(1140, 855) << QSize(570, 428) << QRect(75, 0, 420, 353);
        QTest::newRow("Streifen darunter")
            << Zurueck << QSize(1140, 855) << QSize(570, 428) << QRect(0, 353, 570, 75);
        // Halves round away from zero, on both sides of it.
        QTest::newRow("halbe Pixel")
            << FrameRechteck{1, -1, 3, 1} << QSize(2, 2) << QSize(3, 3) << QRect(-2, 2, 5, 1);
        QTest::newRow("über 16 Bit")
            << Zurueck << QSize(1140, 855) << QSize(40000, 30000) << QRect(0, 24737, 40000, 5263);
        QTest::newRow("ohne skalieren")
            << Vorwaerts << QSize(0, 0) << QSize(570, 428) << QRect(150, 0, 840, 705);
    }
    void skalieren()
    {
        QFETCH(FrameRechteck, rahmen);
        QFETCH(QSize, vorlage);
        QFETCH(QSize, bild);
        QFETCH(QRect, erwartet);
        const frames::Vorlage v =
            vorlage.isEmpty() ? frames::Vorlage{} : ::vorlage(vorlage.width(), vorlage.height());
        QCOMPARE(wirksamesRechteck(rahmen, v, bild), erwartet);
    }

    void aneinanderUndZurueck()
    {
        const frames::Vorlage v = vorlage(1140, 855);
        for (const QSize bild :
             {QSize(1141, 855), QSize(571, 429), QSize(997, 661), QSize(3, 2), QSize(32767, 1)}) {
            const QRect l = wirksamesRechteck(Links, v, bild);
            const QRect m = wirksamesRechteck(Vorwaerts, v, bild);
            const QRect r = wirksamesRechteck(Rechts, v, bild);
            const QRect z = wirksamesRechteck(Zurueck, v, bild);
            // Adjoining frames stay adjoining, and the four still tile the picture.
            QCOMPARE(l.right() + 1, m.left());
            QCOMPARE(m.right() + 1, r.left());
            QCOMPARE(m.bottom() + 1, z.top());
            QCOMPARE(QRect(l.topLeft(), z.bottomRight()), QRect(QPoint(0, 0), bild));
        }
        // From a picture of the reference size back into the file, and from a
        // larger one by whole multiples, nothing moves.
        for (const FrameRechteck& f : {Links, Vorwaerts, Rechts, Zurueck}) {
            for (const QSize bild : {QSize(1140, 855), QSize(3420, 2565)})
                QCOMPARE(inDateiEinheiten(wirksamesRechteck(f, v, bild), v, bild), f);
        }
        QCOMPARE(inDateiEinheiten(QRect(75, 0, 421, 353), v, QSize(570, 428)),
                 (FrameRechteck{0, 150, 842, 705}));
    }

    void ausrichtung_data()
    {
        QTest::addColumn<int>("orientierung");
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("%d", o) << o;
    }
    void ausrichtung()
    {
        QFETCH(int, orientierung);
        const QByteArray jpeg =
            testbilder::testdatei(QStringLiteral("ausrichtung%1.jpg").arg(orientierung));
        QBuffer puffer;
        puffer.setData(jpeg);
        QImageReader leser(&puffer, "jpeg");
        leser.setAutoTransform(false);
        const QImage gespeichert = leser.read().convertToFormat(QImage::Format_RGB32);
        const QImage soll =
            QImage::fromData(testbilder::testdatei(
                                 QStringLiteral("ausrichtung%1-aufrecht.bmp").arg(orientierung)))
                .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(aufrecht(gespeichert.size(), orientierung), soll.size());
        QCOMPARE(testbilder::ersterUnterschied(aufrichten(gespeichert, orientierung), soll),
                 QString());
        // A part of the upright picture, cut from the stored pixels and turned.
        for (const QRect r : {QRect(3, 2, 11, 7), QRect(0, 0, 1, soll.height())}) {
            const QRect g = inGespeicherte(r, gespeichert.size(), orientierung);
            QCOMPARE(testbilder::ersterUnterschied(aufrichten(gespeichert.copy(g), orientierung),
                                                   soll.copy(r)),
                     QString());
        }
    }
};

QTEST_GUILESS_MAIN(TestGeometrie)
#include "tst_geometrie.moc"
