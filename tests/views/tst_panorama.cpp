// Perspective views of panoramas that the test paints itself, against the
// projection computed here in double precision straight from its definition.

#include "Testbilder.h"
#include "config/FrameKonfig.h"
#include "views/Panorama.h"

#include <QTest>

#include <array>
#include <cmath>
#include <numbers>

using namespace schnitt::panorama;
using std::numbers::pi;

namespace {

const QSize Pano(720, 360);

// Source position of view pixel (i, j): pitch about x, then yaw about y.
QPointF formel(QSize q, const Blick& b, double i, double j)
{
    const double a = std::tan(b.blickwinkel / 2 * pi / 180);
    const double x = (2 * (i + 0.5) / b.breite - 1) * a;
    const double y = (1 - 2 * (j + 0.5) / b.hoehe) * a * b.hoehe / b.breite;
    const double g = b.gier * pi / 180, n = b.nick * pi / 180;
    const double py = y * std::cos(n) + std::sin(n), pz = std::cos(n) - y * std::sin(n);
    const double dx = x * std::cos(g) + pz * std::sin(g), dz = pz * std::cos(g) - x * std::sin(g);
    return {(std::atan2(dx, dz) / (2 * pi) + 0.5) * q.width() - 0.5,
            (0.5 - std::atan2(py, std::hypot(dx, dz)) / pi) * q.height() - 0.5};
}

// Catmull-Rom (a = −0.5), or the tent of bilinear sampling.
double kern(double t, bool bikubisch)
{
    t = std::abs(t);
    if (!bikubisch)
        return std::max(0.0, 1 - t);
    return t <= 1  ? 1.5 * t * t * t - 2.5 * t * t + 1
           : t < 2 ? -0.5 * t * t * t + 2.5 * t * t - 4 * t + 2
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
    for (qsizetype k = 0; k < ist.sizeInBytes(); ++k) {
        const int d = std::abs(ist.constBits()[k] - soll.constBits()[k]); // alpha: both 255
        gleich += d == 0, schlimmste = std::max(schlimmste, d);
    }
    const double anteil = (gleich - ist.sizeInBytes() / 4) / (0.75 * ist.sizeInBytes());
    return schlimmste <= 1 && anteil >= 0.99
               ? QString()
               : QStringLiteral("bis %1 daneben, %2 % gleich").arg(schlimmste).arg(100 * anteil);
}

QPointF imBild(QSize q, const Blick& b, double i, double j)
{
    const QPointF p = formel(q, b, i, j) + QPointF(0.5, 0.5);
    return {std::fmod(p.x() + q.width(), q.width()), p.y()};
}

} // namespace

class TestPanorama final : public QObject
{
    Q_OBJECT

    void blicke()
    {
        QTest::addColumn<Blick>("blick");
        QTest::addColumn<QSize>("quelle");
        QTest::addColumn<int>("stuecke"); // of the outline
        QTest::newRow("vorwärts") << Blick{90, 0, 0, 160, 90} << Pano << 1;
        QTest::newRow("über den Saum") << Blick{100, 172.5, 10, 160, 90} << Pano << 2;
        // An odd size puts the middle pixel on the pole itself; the yaw, its
        // column onto the picture's first.
        QTest::newRow("senkrecht hinauf") << Blick{90, -179.75, 90, 121, 121} << Pano << 1;
        QTest::newRow("senkrecht hinab") << Blick{90, 45, -90, 121, 121} << Pano << 1;
        QTest::newRow("Südpol über den Saum") << Blick{150, 170, -60, 160, 90} << Pano << 1;
        QTest::newRow("nah am Pol") << Blick{60, 30, 55, 160, 90} << Pano << 1;
        QTest::newRow("schräg, hoch") << Blick{35.5, 123.4, -27.3, 71, 133} << Pano << 1;
        QTest::newRow("vergrößert") << Blick{5, -100, 20, 160, 90} << Pano << 1;
        QTest::newRow("bikubisch") << Blick{90, -30, 5, 160, 90, true} << Pano << 1;
        QTest::newRow("bikubisch am Pol") << Blick{120, 30, -90, 101, 101, true} << Pano << 1;
        QTest::newRow("Rand auf dem Saum") << Blick{90, -135, 0, 160, 90} << Pano << 1;
        QTest::newRow("eine Ecke über den Saum") << Blick{90, -127.2, 20, 160, 90} << Pano << 2;
        // Every view pixel among the same few source pixels, wrapped and clamped.
        QTest::newRow("winzig") << Blick{170, 100, 60, 40, 30} << QSize(8, 4) << 1;
        QTest::newRow("winzig bikubisch") << Blick{170, 100, 60, 40, 30, true} << QSize(8, 4) << 1;
        QTest::newRow("eine Spalte, eine Zeile") << Blick{20, 30, 90, 1, 3} << QSize(8, 4) << 1;
    }

private slots:
    void wieDieFormel_data() { blicke(); }
    void wieDieFormel()
    {
        QFETCH(Blick, blick);
        QFETCH(QSize, quelle);
        const QImage pano = testbilder::fotoaehnlich(quelle.width(), quelle.height(), 7);
        const Karte karte(quelle, blick);
        QRect zeilen;
        const QImage ansicht = abbilden(pano, {}, quelle, karte);
        QCOMPARE(abweichung(ansicht, referenz(pano, blick, &zeilen)), QString());
        QCOMPARE(karte.bereich(), zeilen);
        QCOMPARE(benoetigterBereich(quelle, blick, true), zeilen);

        // The band alone gives the same pixels; one row less is refused.
        const QImage band = pano.copy(zeilen);
        QCOMPARE(testbilder::ersterUnterschied(
                     abbilden(band, zeilen.topLeft(), quelle, Karte(quelle, blick, true), true),
                     ansicht),
                 QString());
        for (int oben : {0, 1})
            QVERIFY(abbilden(band.copy(0, oben, quelle.width(), band.height() - 1),
                             zeilen.topLeft() + QPoint(0, oben), quelle, karte)
                        .isNull());
    }

    void richtungen()
    {
        // Each direction's default shows what looking forward shows once the
        // picture is turned by as many quarters.
        const QImage pano = testbilder::fotoaehnlich(Pano.width(), Pano.height(), 11);
        const QImage vorwaerts = abbilden(pano, {}, Pano, Karte(Pano, {90, 0, 0, 160, 90}));
        for (int r = 0; r < 4; ++r) {
            const int vierteln = std::array{0, 3, 1, 2}[r]; // Vorwärts, Links, Rechts, Zurück
            QImage gedreht(Pano, QImage::Format_RGB32);
            for (int y = 0; y < Pano.height(); ++y)
                for (int x = 0; x < Pano.width(); ++x)
                    gedreht.setPixel(x, y, pano.pixel((x + 720 - vierteln * 180) % 720, y));
            const Blick b{90, frames::vorgabeGier(::richtungen[r].richtung), 0, 160, 90};
            QCOMPARE(abweichung(abbilden(gedreht, {}, Pano, Karte(Pano, b)), vorwaerts), QString());
        }
    }

    void umriss_data() { blicke(); }
    void umriss()
    {
        QFETCH(Blick, blick);
        QFETCH(QSize, quelle);
        QFETCH(int, stuecke);
        const int n = 16, w = blick.breite, h = blick.hoehe;
        const QList<QPolygonF> teile = schnitt::panorama::umriss(quelle, blick, n);
        QCOMPARE(teile.size(), stuecke);
        // The samples of the view's border, clockwise from its top-left corner;
        // the outline adds only points on the picture's edge.
        QList<QPointF> soll, alle;
        for (double t = 0; t < 1; t += 1.0 / n)
            soll << imBild(quelle, blick, t * w - 0.5, -0.5)
                 << imBild(quelle, blick, w - 0.5, t * h - 0.5)
                 << imBild(quelle, blick, (1 - t) * w - 0.5, h - 0.5)
                 << imBild(quelle, blick, -0.5, (1 - t) * h - 0.5);
        const QRectF bild(QPointF(), quelle), innen = bild.adjusted(1e-9, 1e-9, -1e-9, -1e-9);
        for (const QPolygonF& teil : teile) {
            // Closed, and along the picture's edge in one run.
            int wechsel = 0;
            for (qsizetype k = 1; k < teil.size(); ++k)
                wechsel += innen.contains(teil[k]) != innen.contains(teil[k - 1]);
            QVERIFY(teil.isClosed() && wechsel <= 2);
            alle << teil;
        }
        auto bei = [](const QList<QPointF>& l, QPointF p) {
            return std::any_of(l.begin(), l.end(),
                               [&](QPointF q) { return QLineF(q, p).length() < 1e-6; });
        };
        for (const QPointF& p : alle)
            QVERIFY(bild.contains(p) && (!innen.contains(p) || bei(soll, p)));
        for (const QPointF& p : soll)
            QVERIFY(!innen.contains(p) || bei(alle, p));
        // Where the border crosses the seam it is a great circle, not the
        // chord between two samples: just above and below, in and out.
        const QPointF d(0, 1e-3);
        for (const QPointF& p : alle)
            if ((p.x() == 0 || p.x() == bild.width()) && p.y() > d.y() &&
                p.y() < bild.height() - d.y() && !bei(soll, p))
                QVERIFY2(enthaelt(quelle, blick, p - d) != enthaelt(quelle, blick, p + d),
                         qPrintable(QStringLiteral("%1, %2").arg(p.x()).arg(p.y())));

        // Inside: a little in from the border (i, j from the view's corner); outside: beyond it.
        for (double i : {-0.3 * w, 0.1 * w, 0.5 * w + 0.3, 0.9 * w, 1.3 * w})
            for (double j : {-0.3 * h, 0.1 * h, 0.5 * h + 0.2, 0.9 * h, 1.3 * h}) {
                const bool drin = i > 0 && i < w && j > 0 && j < h;
                const QPointF p = imBild(quelle, blick, i - 0.5, j - 0.5);
                const auto treffer =
                    std::count_if(teile.begin(), teile.end(), [&](const QPolygonF& t) {
                        return t.containsPoint(p, Qt::OddEvenFill);
                    });
                QVERIFY(enthaelt(quelle, blick, p) == drin && treffer == (drin ? 1 : 0));
            }
    }

    void ziehen_data()
    {
        QTest::addColumn<Blick>("blick");
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<QPointF>("gierNick");
        // The view's size plays no part in a drag.
        QTest::newRow("rechts hinauf") << Blick{90, -20, 10} << QPointF(72, -36) << QPointF(16, 28);
        QTest::newRow("über den Saum") << Blick{90, 170, 0} << QPointF(36, 0) << QPointF(-172, 0);
        QTest::newRow("zurück") << Blick{90, -170, -30} << QPointF(-20, 0) << QPointF(180, -30);
        QTest::newRow("über den Pol") << Blick{90, 180, 80} << QPointF(0, -40) << QPointF(180, 90);
    }
    void ziehen()
    {
        QFETCH(Blick, blick);
        QFETCH(QPointF, delta);
        QFETCH(QPointF, gierNick);
        const Blick neu = verschoben(blick, Pano, delta);
        QCOMPARE(QPointF(neu.gier, neu.nick), gierNick);
        // The centre sits where yaw and pitch say, so it follows the mouse.
        const QPointF m = mitte(Pano, neu) - QPointF(neu.gier + 180, 90 - neu.nick) * 2;
        QVERIFY(std::abs(std::remainder(m.x(), 720)) + std::abs(m.y()) < 1e-6);
    }

    void grenzfaelle()
    {
        for (const Blick& b :
             {Blick{0, 0, 0, 16, 9}, Blick{180, 0, 0, 16, 9}, Blick{NAN, 0, 0, 16, 9},
              Blick{90, INFINITY, 0, 16, 9}, Blick{90, 0, 0, 0, 9}, Blick{90, 0, 0, 16, 0}})
            QVERIFY(Karte(Pano, b).isNull() && benoetigterBereich(Pano, b).isNull() &&
                    schnitt::panorama::umriss(Pano, b).isEmpty() && !enthaelt(Pano, b, {360, 180}));
        QVERIFY(Karte(QSize(0, 360), {90, 0, 0, 16, 9}).isNull() &&
                Karte(QSize(720, 0), {90, 0, 0, 16, 9}).isNull() && Karte().mitGier(90).isNull());
        // The corners alone make an outline.
        QCOMPARE(schnitt::panorama::umriss(Pano, {90, 0, 0, 16, 9}, 1).value(0).size(), 5);
        // The largest side whose fixed-point columns still fit, and one more.
        const int groesste = std::numeric_limits<qint32>::max() >> (Karte::Bruchbits + 1);
        QVERIFY(!Karte(QSize(groesste, groesste), {90, 0, 0, 2, 2}).isNull());
        QVERIFY(Karte(QSize(groesste + 1, groesste), {90, 0, 0, 2, 2}).isNull());
        QVERIFY(Karte(QSize(groesste, groesste + 1), {90, 0, 0, 2, 2}).isNull());
        QVERIFY(zweiZuEins(Pano) && !zweiZuEins({721, 360}) && !zweiZuEins({0, 0}));
        const QImage pano = testbilder::fotoaehnlich(720, 360, 1);
        QVERIFY(abbilden(pano, {}, Pano, Karte(QSize(722, 361), {90, 0, 0, 16, 9})).isNull());
        const Karte karte(Pano, {90, 0, 0, 16, 9});
        QVERIFY(abbilden(pano.copy(0, 0, 719, 360), {}, Pano, karte).isNull() &&
                karte.mitGier(NAN).isNull());
        // Other formats are converted, not read as if they were RGB32.
        QCOMPARE(testbilder::ersterUnterschied(
                     abbilden(pano.convertToFormat(QImage::Format_RGB888), {}, Pano, karte),
                     abbilden(pano, {}, Pano, karte)),
                 QString());
    }
};

QTEST_GUILESS_MAIN(TestPanorama)
#include "tst_panorama.moc"
