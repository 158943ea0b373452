// Perspective views of panoramas that the test paints itself, against the
// projection computed here in double precision straight from its definition.

#include "Testbilder.h"
#include "views/Panorama.h"

#include <QTest>

#include <cmath>

using namespace schnitt::panorama;

namespace {

constexpr double Pi = 3.14159265358979323846;
const QSize Pano(720, 360);

// Source position of view pixel (i, j): pitch about x, then yaw about y.
QPointF formel(QSize q, const Blick& b, double i, double j)
{
    const double a = std::tan(b.blickwinkel / 2 * Pi / 180);
    const double x = (2 * (i + 0.5) / b.breite - 1) * a;
    const double y = (1 - 2 * (j + 0.5) / b.hoehe) * a * b.hoehe / b.breite;
    const double g = b.gier * Pi / 180, n = b.nick * Pi / 180;
    const double py = y * std::cos(n) + std::sin(n), pz = std::cos(n) - y * std::sin(n);
    const double dx = x * std::cos(g) + pz * std::sin(g), dz = pz * std::cos(g) - x * std::sin(g);
    return {(std::atan2(dx, dz) / (2 * Pi) + 0.5) * q.width() - 0.5,
            (0.5 - std::atan2(py, std::hypot(dx, dz)) / Pi) * q.height() - 0.5};
}

double kern(double t, bool bikubisch)
{
    t = std::abs(t);
    if (!bikubisch)
        return std::max(0.0, 1 - t);
    const double a = -0.5;
    return t <= 1  ? (a + 2) * t * t * t - (a + 3) * t * t + 1
           : t < 2 ? a * t * t * t - 5 * a * t * t + 8 * a * t - 4 * a
                   : 0;
}

// The view sampled tap by tap; `zeilen` collects the rows given any weight.
QImage referenz(const QImage& pano, const Blick& b, QRect* zeilen)
{
    QImage soll(b.breite, b.hoehe, QImage::Format_RGB32);
    for (int j = 0; j < b.hoehe; ++j)
        for (int i = 0; i < b.breite; ++i) {
            const QPointF uv = formel(pano.size(), b, i, j);
            const int x0 = int(std::floor(uv.x())), y0 = int(std::floor(uv.y()));
            double s[3] = {};
            for (int y = y0 - 1; y <= y0 + 2; ++y) {
                const double wy = kern(uv.y() - y, b.bikubisch);
                const int zeile = std::clamp(y, 0, pano.height() - 1);
                if (wy != 0)
                    *zeilen |= QRect(0, zeile, pano.width(), 1);
                for (int x = x0 - 1; x <= x0 + 2; ++x) {
                    const QRgb p = pano.pixel((x + pano.width()) % pano.width(), zeile);
                    const double w = wy * kern(uv.x() - x, b.bikubisch);
                    s[0] += w * qRed(p), s[1] += w * qGreen(p), s[2] += w * qBlue(p);
                }
            }
            auto k = [](double v) { return int(std::clamp(std::lround(v), 0L, 255L)); };
            soll.setPixel(i, j, qRgb(k(s[0]), k(s[1]), k(s[2])));
        }
    return soll;
}

// "" when every channel is within 1 and at least 99 % are equal.
QString abweichung(const QImage& ist, const QImage& soll)
{
    if (ist.size() != soll.size() || ist.format() != QImage::Format_RGB32)
        return QStringLiteral("Größe oder Format");
    int gleich = 0, schlimmste = 0;
    for (int y = 0; y < soll.height(); ++y)
        for (int x = 0; x < soll.width(); ++x)
            for (int s : {0, 8, 16}) {
                const int d = std::abs(int((ist.pixel(x, y) >> s) & 0xFF) -
                                       int((soll.pixel(x, y) >> s) & 0xFF));
                gleich += d == 0, schlimmste = std::max(schlimmste, d);
            }
    const double anteil = gleich / (3.0 * soll.width() * soll.height());
    return schlimmste <= 1 && anteil >= 0.99
               ? QString()
               : QStringLiteral("bis %1 daneben, %2 % gleich").arg(schlimmste).arg(100 * anteil);
}

} // namespace

class TestPanorama final : public QObject
{
    Q_OBJECT

    void blicke()
    {
        QTest::addColumn<Blick>("blick");
        QTest::addColumn<int>("stuecke"); // of the outline
        QTest::newRow("vorwärts") << Blick{90, 0, 0, 160, 90} << 1;
        QTest::newRow("über den Saum") << Blick{100, 180, 10, 160, 90} << 2;
        QTest::newRow("senkrecht hinauf") << Blick{90, 0, 90, 120, 120} << 1;
        QTest::newRow("Südpol über den Saum") << Blick{150, 170, -60, 160, 90} << 1;
        QTest::newRow("nah am Pol") << Blick{60, 30, 55, 160, 90} << 1;
        QTest::newRow("schräg, hoch") << Blick{35.5, 123.4, -27.3, 71, 133} << 1;
        QTest::newRow("vergrößert") << Blick{5, -100, 20, 160, 90} << 1;
        QTest::newRow("bikubisch") << Blick{90, -30, 5, 160, 90, true} << 1;
        QTest::newRow("bikubisch am Pol") << Blick{120, 30, 80, 100, 100, true} << 1;
    }

private slots:
    void wieDieFormel_data() { blicke(); }
    void wieDieFormel()
    {
        QFETCH(Blick, blick);
        const QImage pano = testbilder::fotoaehnlich(Pano.width(), Pano.height(), 7);
        const Karte karte(Pano, blick);
        QRect zeilen;
        const QImage ansicht = abbilden(pano, {}, Pano, karte);
        QCOMPARE(abweichung(ansicht, referenz(pano, blick, &zeilen)), QString());
        QCOMPARE(karte.bereich(), zeilen);
        QCOMPARE(benoetigterBereich(Pano, blick, true), zeilen);

        // The band alone gives the same pixels; one row less is refused.
        const QImage band = pano.copy(zeilen);
        QCOMPARE(
            testbilder::ersterUnterschied(
                abbilden(band, zeilen.topLeft(), Pano, Karte(Pano, blick, true), true), ansicht),
            QString());
        QVERIFY(abbilden(band.copy(0, 1, Pano.width(), band.height() - 1),
                         zeilen.topLeft() + QPoint(0, 1), Pano, karte)
                    .isNull());
        QVERIFY(abbilden(band.copy(0, 0, Pano.width(), band.height() - 1), zeilen.topLeft(), Pano,
                         karte)
                    .isNull());
    }

    void winzigeQuelle()
    {
        // Every view pixel between the same few source pixels, all wrapped
        // and clamped.
        const QImage pano = testbilder::fotoaehnlich(8, 4, 3);
        for (const Blick& b : {Blick{170, 100, 60, 40, 30}, Blick{170, 100, 60, 40, 30, true}}) {
            QRect zeilen;
            QCOMPARE(abweichung(abbilden(pano, {}, pano.size(), Karte(pano.size(), b)),
                                referenz(pano, b, &zeilen)),
                     QString());
        }
    }

    void richtungen_data()
    {
        QTest::addColumn<int>("richtung");
        QTest::addColumn<int>("vierteln"); // turns of the picture to the left
        for (int r = 0; r < 4; ++r)
            QTest::newRow(qPrintable(QString::fromUtf16(::richtungen[r].name)))
                << r << QList{0, 3, 1, 2}[r];
    }
    void richtungen()
    {
        QFETCH(int, richtung);
        QFETCH(int, vierteln);
        const QImage pano = testbilder::fotoaehnlich(Pano.width(), Pano.height(), 11);
        QImage gedreht(Pano, QImage::Format_RGB32);
        for (int y = 0; y < Pano.height(); ++y)
            for (int x = 0; x < Pano.width(); ++x)
                gedreht.setPixel(x, y, pano.pixel((x + vierteln * 180) % 720, y));
        const Blick b{90, standardGier(::richtungen[richtung].richtung), 0, 160, 90};
        const Blick vorwaerts{90, 0, 0, 160, 90};
        QCOMPARE(abweichung(abbilden(pano, {}, Pano, Karte(Pano, b)),
                            abbilden(gedreht, {}, Pano, Karte(Pano, vorwaerts))),
                 QString());
    }

    void umriss_data() { blicke(); }
    void umriss()
    {
        QFETCH(Blick, blick);
        QFETCH(int, stuecke);
        const int n = 16;
        const QList<QPolygonF> teile = schnitt::panorama::umriss(Pano, blick, n);
        QCOMPARE(teile.size(), stuecke);
        auto amRand = [](QPointF p) {
            return p.x() < 1e-9 || p.y() < 1e-9 || p.x() > 720 - 1e-9 || p.y() > 360 - 1e-9;
        };
        // The border's samples by the formula, in picture coordinates.
        QList<QPointF> soll;
        const double ex[] = {-0.5, blick.breite - 0.5}, ey[] = {-0.5, blick.hoehe - 0.5};
        for (int k = 0; k < n; ++k) {
            const double t = double(k) / n;
            for (const QPointF& ij :
                 {QPointF(ex[0] + t * blick.breite, ey[0]), QPointF(ex[1], ey[0] + t * blick.hoehe),
                  QPointF(ex[1] - t * blick.breite, ey[1]),
                  QPointF(ex[0], ey[1] - t * blick.hoehe)}) {
                const QPointF p = formel(Pano, blick, ij.x(), ij.y()) + QPointF(0.5, 0.5);
                soll.append(QPointF(std::fmod(p.x() + 720, 720), p.y()));
            }
        }
        int getroffen = 0;
        for (const QPolygonF& teil : teile) {
            QVERIFY(teil.isClosed());
            for (const QPointF& p : teil) {
                QVERIFY(QRectF(0, 0, 720, 360).contains(p));
                const bool bekannt = std::any_of(soll.begin(), soll.end(), [&](QPointF s) {
                    return QLineF(s, p).length() < 1e-6;
                });
                QVERIFY2(bekannt || amRand(p), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
                getroffen += bekannt;
            }
        }
        QVERIFY(getroffen >=
                std::count_if(soll.begin(), soll.end(), [&](QPointF s) { return !amRand(s); }));

        // Inside: view pixels a few from the border; outside: rays beyond it.
        for (double i :
             {-12.0, 3.0, blick.breite / 2.0 + 0.3, blick.breite - 4.0, blick.breite + 11.0})
            for (double j :
                 {-12.0, 3.0, blick.hoehe / 2.0 + 0.2, blick.hoehe - 4.0, blick.hoehe + 11.0}) {
                const bool drin = i > 0 && i < blick.breite && j > 0 && j < blick.hoehe;
                const QPointF p = formel(Pano, blick, i, j) + QPointF(0.5, 0.5);
                const QPointF bildpunkt(std::fmod(p.x() + 720, 720), p.y());
                QCOMPARE(enthaelt(Pano, blick, bildpunkt), drin);
                QCOMPARE(std::count_if(teile.begin(), teile.end(),
                                       [&](const QPolygonF& t) {
                                           return t.containsPoint(bildpunkt, Qt::OddEvenFill);
                                       }),
                         drin ? 1 : 0);
            }
        const QPointF m = formel(Pano, blick, blick.breite / 2.0 - 0.5, blick.hoehe / 2.0 - 0.5);
        QVERIFY(QLineF(mitte(Pano, blick), m + QPointF(0.5, 0.5)).length() < 1e-6);
    }

    void ziehen_data()
    {
        QTest::addColumn<Blick>("blick");
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<double>("gier");
        QTest::addColumn<double>("nick");
        QTest::newRow("rechts") << Blick{90, 10, 0, 16, 9} << QPointF(72, 0) << 46.0 << 0.0;
        QTest::newRow("hinauf") << Blick{90, -20, 10, 16, 9} << QPointF(-18, -36) << -29.0 << 28.0;
        QTest::newRow("über den Saum")
            << Blick{90, 170, 0, 16, 9} << QPointF(36, 0) << -172.0 << 0.0;
        QTest::newRow("zurück") << Blick{90, -170, 0, 16, 9} << QPointF(-20, 0) << 180.0 << 0.0;
        QTest::newRow("über den Pol") << Blick{90, 0, 80, 16, 9} << QPointF(0, -40) << 0.0 << 90.0;
        QTest::newRow("unter den Pol")
            << Blick{90, 45, -85, 16, 9} << QPointF(0, 20) << 45.0 << -90.0;
    }
    void ziehen()
    {
        QFETCH(Blick, blick);
        QFETCH(QPointF, delta);
        QFETCH(double, gier);
        QFETCH(double, nick);
        const Blick neu = verschoben(blick, Pano, delta);
        QCOMPARE(neu.gier, gier);
        QCOMPARE(neu.nick, nick);
        // The centre sits where yaw and pitch say, so it follows the mouse.
        const QPointF m = mitte(Pano, neu);
        QVERIFY(std::abs(m.y() - (90 - nick) * 2) < 1e-9);
        QVERIFY(std::abs(std::remainder(m.x() - (gier + 180) * 2, 720)) < 1e-6);
    }

    void unbrauchbar()
    {
        for (const Blick& b :
             {Blick{0, 0, 0, 16, 9}, Blick{180, 0, 0, 16, 9}, Blick{NAN, 0, 0, 16, 9},
              Blick{90, INFINITY, 0, 16, 9}, Blick{90, 0, 0, 0, 9}}) {
            QVERIFY(Karte(Pano, b).isNull());
            QVERIFY(benoetigterBereich(Pano, b).isNull());
            QVERIFY(schnitt::panorama::umriss(Pano, b).isEmpty());
        }
        const Blick b{90, 0, 0, 16, 9};
        QVERIFY(Karte(QSize(0, 0), b).isNull());
        const QImage pano = testbilder::fotoaehnlich(720, 360, 1);
        QVERIFY(abbilden(pano, {}, Pano, Karte(QSize(722, 361), b)).isNull());
        QVERIFY(abbilden(pano.copy(0, 0, 719, 360), {}, Pano, Karte(Pano, b)).isNull());
        QVERIFY(!abbilden(pano, {}, Pano, Karte(Pano, b)).isNull());
    }
};

QTEST_GUILESS_MAIN(TestPanorama)
#include "tst_panorama.moc"
