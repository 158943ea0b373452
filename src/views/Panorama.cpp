#include "Panorama.h"

#include <QMutexLocker>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <new>
#include <numbers>

namespace schnitt::panorama {

namespace {

using std::numbers::pi;

constexpr qint32 Eins = 1 << Karte::Bruchbits;
constexpr qint32 Maske = Eins - 1;
// Positions are kept as qint32 with Bruchbits fractional bits, and a column
// plus the yaw's shift must still fit.
constexpr int MaxSeite = std::numeric_limits<qint32>::max() >> (Karte::Bruchbits + 1);

bool brauchbar(QSize quelle, const Blick& b)
{
    // Written so that NaN fails every comparison.
    return quelle.width() > 0 && quelle.height() > 0 && quelle.width() <= MaxSeite &&
           quelle.height() <= MaxSeite && b.breite > 0 && b.hoehe > 0 && b.blickwinkel > 0 &&
           b.blickwinkel < 180 && std::isfinite(b.gier) && std::isfinite(b.nick);
}

// The rotation R_yaw · R_pitch, and the half extents of the image plane at
// distance 1.
struct Geometrie
{
    double m[3][3];
    double a, b;
    double ws, hs;

    Geometrie(QSize quelle, const Blick& blick)
        : ws(quelle.width())
        , hs(quelle.height())
    {
        const double g = blick.gier * pi / 180, n = blick.nick * pi / 180;
        const double sg = std::sin(g), cg = std::cos(g), sn = std::sin(n), cn = std::cos(n);
        const double r[3][3] = {{cg, -sg * sn, sg * cn}, {0, cn, sn}, {-sg, -cg * sn, cg * cn}};
        std::copy(&r[0][0], &r[0][0] + 9, &m[0][0]);
        a = std::tan(blick.blickwinkel * pi / 360);
        b = a * blick.hoehe / blick.breite;
    }

    struct Strahl
    {
        double x, y, z;
    };
    Strahl strahl(double x, double y) const
    {
        return {m[0][0] * x + m[0][1] * y + m[0][2], m[1][1] * y + m[1][2],
                m[2][0] * x + m[2][1] * y + m[2][2]};
    }
    // Longitude and latitude as source position; u in −0.5 … ws−0.5.
    QPointF uv(const Strahl& d) const
    {
        const double lambda = std::atan2(d.x, d.z);
        const double phi = std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z));
        return {(lambda / (2 * pi) + 0.5) * ws - 0.5, (0.5 - phi / pi) * hs - 0.5};
    }
    double ebeneX(const Blick& blick, double i) const
    {
        return (2 * (i + 0.5) / blick.breite - 1) * a;
    }
    double ebeneY(const Blick& blick, double j) const
    {
        return (1 - 2 * (j + 0.5) / blick.hoehe) * b;
    }
};

// A fixed-point column at most one turn west of the picture, or inside it,
// wrapped into the picture.
qint32 gewickelt(qint64 u, qint64 umfang)
{
    return qint32((u + umfang) % umfang);
}

// Calls f(i, u, v) for every pixel of output row j of the view turned to yaw
// 0, u and v in fixed point, u wrapped into the picture. At yaw 0 the right
// half mirrors the left about the middle column, so only half the rays are
// traced; the middle column of an odd width is its own mirror and is simply
// given its value twice.
template <typename F> void zeileRechnen(const Geometrie& g, const Blick& blick, int j, F&& f)
{
    const qint64 umfang = qint64(g.ws) * Eins;
    const qint64 spiegel = qint64(g.ws - 1) * Eins;
    const double y = g.ebeneY(blick, j);
    for (int i = 0; i < (blick.breite + 1) / 2; ++i) {
        const QPointF p = g.uv(g.strahl(g.ebeneX(blick, i), y));
        const qint64 u = qint64(std::floor(p.x() * Eins + 0.5));
        const auto v = qint32(std::floor(p.y() * Eins + 0.5));
        // u lies in −0.5 … ws−0.5 columns, and so does its mirror.
        f(i, gewickelt(u, umfang), v);
        f(blick.breite - 1 - i, gewickelt(spiegel - u, umfang), v);
    }
}

// First and last source row with a non-zero weight for a sample at v: a
// sample exactly on a row reads that row only, whatever the kernel. v lies
// in −0.5 … hs−0.5 rows, so such a row is one of the picture's, and only the
// kernel's outer taps need clamping.
std::pair<int, int> zeilenDerAbtastung(qint32 v, int hs, bool bikubisch)
{
    const int y = v >> Karte::Bruchbits;
    if ((v & Maske) == 0)
        return {y, y};
    const int vor = bikubisch ? 1 : 0, nach = bikubisch ? 2 : 1;
    return {std::max(y - vor, 0), std::min(y + nach, hs - 1)};
}

struct Streifen
{
    int von, bis; // output rows
    int erste = std::numeric_limits<int>::max(), letzte = -1;
};

// Splits the rows into strips and hands each to `f`, on the global pool when
// asked: a few strips per core, so that one slow strip holds no core idle.
template <typename F> QList<Streifen> streifenweise(int hoehe, bool alleKerne, F&& f)
{
    const int teile = alleKerne ? std::clamp(4 * QThread::idealThreadCount(), 1, hoehe) : 1;
    QList<Streifen> streifen;
    for (int t = 0; t < teile; ++t)
        streifen.append({int(qint64(hoehe) * t / teile), int(qint64(hoehe) * (t + 1) / teile)});
    if (teile == 1)
        f(streifen.first());
    else
        QtConcurrent::blockingMap(streifen, f);
    return streifen;
}

QRect bandAus(const QList<Streifen>& streifen, int ws)
{
    int erste = std::numeric_limits<int>::max(), letzte = -1;
    for (const Streifen& s : streifen) {
        erste = std::min(erste, s.erste);
        letzte = std::max(letzte, s.letzte);
    }
    return letzte < 0 ? QRect() : QRect(0, erste, ws, letzte - erste + 1);
}

QRgb bilinear(QRgb a, QRgb b, QRgb c, QRgb d, quint32 gx, quint32 gy)
{
    const quint32 hx = Eins - gx, hy = Eins - gy;
    // Red and blue side by side in two 32-bit lanes of one 64-bit word, green
    // alone: a lane ends at most at 255 · 2^24 plus the half, below 2^32, so
    // nothing carries into the next one.
    auto rb = [](QRgb p) { return quint64(p & 0xFF) | quint64(p & 0xFF0000) << 16; };
    auto gr = [](QRgb p) { return (p >> 8) & 0xFF; };
    constexpr int Bits = 2 * Karte::Bruchbits;
    constexpr quint64 Halb = 1u << (Bits - 1);
    const quint64 rbOben = hx * rb(a) + gx * rb(b), rbUnten = hx * rb(c) + gx * rb(d);
    const quint64 rbSumme = (hy * rbOben + gy * rbUnten + (Halb | Halb << 32)) >> Bits;
    const quint32 grSumme =
        (hy * (hx * gr(a) + gx * gr(b)) + gy * (hx * gr(c) + gx * gr(d)) + quint32(Halb)) >> Bits;
    return 0xFF000000u | quint32(rbSumme & 0xFF) | quint32(rbSumme >> 16 & 0xFF0000) | grSumme << 8;
}

// Catmull-Rom (a = −0.5) for the taps at −1, 0, 1, 2 around the fraction.
void catmullRom(quint32 bruch, float w[4])
{
    const float t = float(bruch) / Eins;
    w[0] = ((-0.5f * t + 1) * t - 0.5f) * t;
    w[1] = (1.5f * t - 2.5f) * t * t + 1;
    w[2] = ((-1.5f * t + 2) * t + 0.5f) * t;
    w[3] = (0.5f * t - 0.5f) * t * t;
}

// `zeilen` holds the band's rows, indexed by source row minus `oben`.
QRgb bikubisch(const QRgb* const* zeilen, int oben, int ws, int hs, qint32 u, qint32 v)
{
    float wx[4], wy[4];
    catmullRom(quint32(u & Maske), wx);
    catmullRom(quint32(v & Maske), wy);
    // u is wrapped into the picture; the taps beside its column wrap too.
    auto spalte = [ws](int x) { return x < 0 ? x + ws : x >= ws ? x - ws : x; };
    const int x0 = u >> Karte::Bruchbits;
    const int x[4] = {spalte(x0 - 1), x0, spalte(x0 + 1), spalte(x0 + 2)};
    const int y = v >> Karte::Bruchbits;
    float summe[3] = {0, 0, 0};
    for (int r = 0; r < 4; ++r) {
        // A zero weight must not reach outside the band.
        const int zeile = std::clamp((v & Maske) ? y - 1 + r : y, 0, hs - 1);
        const QRgb* q = zeilen[zeile - oben];
        for (int k = 0; k < 4; ++k) {
            const float w = wx[k] * wy[r];
            summe[0] += w * qRed(q[x[k]]);
            summe[1] += w * qGreen(q[x[k]]);
            summe[2] += w * qBlue(q[x[k]]);
        }
    }
    auto kanal = [](float s) { return int(std::clamp(s, 0.0f, 255.0f) + 0.5f); };
    return qRgb(kanal(summe[0]), kanal(summe[1]), kanal(summe[2]));
}

// A corner of an outline: picture coordinates, x not wrapped, and the ray
// it lies on.
struct Knoten
{
    double x, y;
    Geometrie::Strahl d;
};

// Where the outline from a to b meets the seam line x = grenze. The border
// between two samples is a great circle, which meets the seam where the
// ray's x component is 0; straight interpolation would cut the corner.
Knoten amSaum(const Knoten& a, const Knoten& b, double grenze, const Geometrie& g)
{
    const double t = a.d.x == b.d.x ? 0.5 : std::clamp(a.d.x / (a.d.x - b.d.x), 0.0, 1.0);
    const Geometrie::Strahl d{a.d.x + t * (b.d.x - a.d.x), a.d.y + t * (b.d.y - a.d.y),
                              a.d.z + t * (b.d.z - a.d.z)};
    return {grenze, (0.5 - std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z)) / pi) * g.hs, d};
}

// Sutherland-Hodgman against one side of a vertical line.
std::vector<Knoten> abschneiden(const std::vector<Knoten>& p, double grenze, bool rechtsBehalten,
                                const Geometrie& g)
{
    std::vector<Knoten> aus;
    auto drin = [&](const Knoten& k) { return rechtsBehalten ? k.x >= grenze : k.x <= grenze; };
    for (size_t k = 0; k < p.size(); ++k) {
        const Knoten& vor = p[(k + p.size() - 1) % p.size()];
        if (drin(p[k]) != drin(vor))
            aus.push_back(amSaum(vor, p[k], grenze, g));
        if (drin(p[k]))
            aus.push_back(p[k]);
    }
    return aus;
}

QPolygonF geschlossen(const std::vector<Knoten>& p, const Geometrie& g)
{
    QPolygonF aus;
    for (const Knoten& k : p) {
        const QPointF q(std::clamp(k.x, 0.0, g.ws), std::clamp(k.y, 0.0, g.hs));
        if (aus.isEmpty() || aus.last() != q) // a sample on the seam comes twice
            aus.append(q);
    }
    if (!aus.isEmpty() && aus.first() != aus.last())
        aus.append(aus.first());
    return aus;
}

// The wrapped difference of two longitudes in picture columns.
double spannweite(double dx, double ws)
{
    return dx - ws * std::round(dx / ws);
}

} // namespace

bool zweiZuEins(QSize quelle)
{
    return quelle.height() > 0 && quelle.width() == 2 * qint64(quelle.height());
}

QPointF quellpunkt(QSize quelle, const Blick& blick, double i, double j)
{
    const Geometrie g(quelle, blick);
    return g.uv(g.strahl(g.ebeneX(blick, i), g.ebeneY(blick, j)));
}

QPointF mitte(QSize quelle, const Blick& blick)
{
    const Geometrie g(quelle, blick);
    return g.uv(g.strahl(0, 0)) + QPointF(0.5, 0.5);
}

QList<QPolygonF> umriss(QSize quelle, const Blick& blick, int punkteJeKante)
{
    if (!brauchbar(quelle, blick) || punkteJeKante < 1)
        return {};
    const Geometrie g(quelle, blick);
    const int n = 4 * std::min(punkteJeKante, MaxPunkteJeKante);
    // Clockwise as seen in the view, from its top-left corner.
    const double ex[5] = {-g.a, g.a, g.a, -g.a, -g.a};
    const double ey[5] = {g.b, g.b, -g.b, -g.b, g.b};
    std::vector<Knoten> rand;
    for (int k = 0; k < n; ++k) {
        const int e = k / (n / 4);
        const double t = double(k % (n / 4)) / (n / 4);
        const Geometrie::Strahl d =
            g.strahl(ex[e] + t * (ex[e + 1] - ex[e]), ey[e] + t * (ey[e + 1] - ey[e]));
        const QPointF p = g.uv(d) + QPointF(0.5, 0.5);
        rand.push_back({p.x(), p.y(), d});
    }
    auto entfalten = [&] {
        rand[0].x -= g.ws * std::floor(rand[0].x / g.ws);
        rand[0].x -= rand[0].x >= g.ws ? g.ws : 0; // rounding of a tiny negative x
        // Each sample within half a turn of the one before.
        double vorher = rand[0].x;
        for (Knoten& k : rand)
            vorher = k.x = vorher + spannweite(k.x - vorher, g.ws);
        const Knoten &erster = rand.front(), &letzter = rand.back();
        return std::lround((letzter.x + spannweite(erster.x - letzter.x, g.ws) - erster.x) / g.ws);
    };
    const long windung = entfalten();
    if (windung == 0) {
        // Not around a pole, hence less than half the longitudes wide: at
        // most one seam line cuts it, in this place or one turn aside.
        QList<QPolygonF> teile;
        for (const double versatz : {-g.ws, 0.0, g.ws}) {
            std::vector<Knoten> p = rand;
            for (Knoten& k : p)
                k.x += versatz;
            p = abschneiden(abschneiden(p, 0, true, g), g.ws, false, g);
            const QPolygonF teil = geschlossen(p, g);
            // Slivers where a border runs along the seam itself.
            if (teil.size() >= 4 && teil.boundingRect().width() > 1e-6)
                teile.append(teil);
        }
        return teile;
    }
    // Around a pole: one piece, from the seam once around to the seam, closed
    // along the pole's edge of the picture. Walked eastwards, once around.
    if (windung == -1) {
        std::reverse(rand.begin(), rand.end());
        entfalten();
    }
    // The walk starts west of the seam line x = ws and crosses it once:
    // before this sample, or between the last one and the first.
    const auto jenseits =
        std::find_if(rand.begin(), rand.end(), [&](const Knoten& k) { return k.x >= g.ws; });
    const Knoten& danach = jenseits == rand.end() ? rand.front() : *jenseits;
    const double saumY = amSaum(*std::prev(jenseits), danach, g.ws, g).y;
    const double polY = g.m[1][2] > 0 ? 0 : g.hs; // the view's centre looks up: sin(nick)
    std::vector<Knoten> p{{0, saumY, {}}};
    for (auto k = jenseits; k != rand.end(); ++k)
        p.push_back({k->x - g.ws, k->y, k->d});
    p.insert(p.end(), rand.begin(), jenseits);
    p.push_back({g.ws, saumY, {}});
    p.push_back({g.ws, polY, {}});
    p.push_back({0, polY, {}});
    return {geschlossen(p, g)};
}

bool enthaelt(QSize quelle, const Blick& blick, QPointF bildpunkt)
{
    if (!brauchbar(quelle, blick))
        return false;
    const Geometrie g(quelle, blick);
    const double lambda = (bildpunkt.x() / g.ws - 0.5) * 2 * pi;
    const double phi = (0.5 - bildpunkt.y() / g.hs) * pi;
    const double d[3] = {std::cos(phi) * std::sin(lambda), std::sin(phi),
                         std::cos(phi) * std::cos(lambda)};
    // Back into the view: the rotation's transpose.
    auto achse = [&](int s) { return g.m[0][s] * d[0] + g.m[1][s] * d[1] + g.m[2][s] * d[2]; };
    const double x = achse(0), y = achse(1), z = achse(2);
    // The two bounds also put the ray in front of the view: with z <= 0 they
    // would leave x = y = z = 0, which no ray is.
    return std::abs(x) <= g.a * z && std::abs(y) <= g.b * z;
}

double gierNormiert(double gier)
{
    const double r = std::fmod(gier, 360.0);
    return r > 180 ? r - 360 : r <= -180 ? r + 360 : r;
}

Blick verschoben(const Blick& blick, QSize quelle, QPointF delta)
{
    Blick neu = blick;
    if (quelle.isEmpty())
        return neu;
    neu.gier = gierNormiert(blick.gier + delta.x() * 360 / quelle.width());
    neu.nick = std::clamp(blick.nick - delta.y() * 180 / quelle.height(), -MaxNick, MaxNick);
    return neu;
}

Karte::Karte(QSize quelle, const Blick& blick, bool alleKerne)
{
    if (!brauchbar(quelle, blick))
        return;
    // Left uninitialised: every point is written below.
    Punkt* punkte = new (std::nothrow) Punkt[size_t(blick.breite) * size_t(blick.hoehe)];
    if (!punkte)
        return;
    m_punkte.reset(punkte);
    m_quelle = quelle;
    m_groesse = {blick.breite, blick.hoehe};
    m_bikubisch = blick.bikubisch;
    Blick ohneGier = blick;
    ohneGier.gier = 0;
    const Geometrie g(quelle, ohneGier);
    const auto streifen = streifenweise(blick.hoehe, alleKerne, [&](Streifen& s) {
        for (int j = s.von; j < s.bis; ++j) {
            Punkt* zeile = punkte + qsizetype(j) * blick.breite;
            zeileRechnen(g, ohneGier, j, [&](int i, qint32 u, qint32 v) {
                zeile[i] = {u, v};
                const auto [erste, letzte] = zeilenDerAbtastung(v, quelle.height(), m_bikubisch);
                s.erste = std::min(s.erste, erste);
                s.letzte = std::max(s.letzte, letzte);
            });
        }
    });
    m_bereich = bandAus(streifen, quelle.width());
    *this = mitGier(blick.gier);
}

Karte Karte::mitGier(double gier) const
{
    if (isNull() || !std::isfinite(gier))
        return {};
    Karte k = *this;
    const qint64 umfang = qint64(m_quelle.width()) * Eins;
    k.m_versatz = gewickelt(qint64(std::floor(gierNormiert(gier) / 360 * umfang + 0.5)), umfang);
    return k;
}

QRect benoetigterBereich(QSize quelle, const Blick& blick, bool alleKerne)
{
    if (!brauchbar(quelle, blick))
        return {};
    // Yaw moves no row.
    Blick ohneGier = blick;
    ohneGier.gier = 0;
    const Geometrie g(quelle, ohneGier);
    return bandAus(streifenweise(blick.hoehe, alleKerne,
                                 [&](Streifen& s) {
                                     for (int j = s.von; j < s.bis; ++j)
                                         zeileRechnen(g, ohneGier, j, [&](int, qint32, qint32 v) {
                                             const auto [erste, letzte] = zeilenDerAbtastung(
                                                 v, quelle.height(), blick.bikubisch);
                                             s.erste = std::min(s.erste, erste);
                                             s.letzte = std::max(s.letzte, letzte);
                                         });
                                 }),
                   quelle.width());
}

QImage abbilden(const QImage& quelle, QPoint ursprung, QSize vollGroesse, const Karte& karte,
                bool alleKerne)
{
    const QRect bereich = karte.bereich();
    if (karte.isNull() || vollGroesse != karte.quelle() || ursprung.x() != 0 ||
        quelle.width() != vollGroesse.width() || ursprung.y() > bereich.top() ||
        ursprung.y() + quelle.height() <= bereich.bottom())
        return {};
    const QImage band = quelle.format() == QImage::Format_RGB32
                            ? quelle
                            : quelle.convertToFormat(QImage::Format_RGB32);
    QImage ansicht(karte.groesse(), QImage::Format_RGB32);
    if (band.isNull() || ansicht.isNull())
        return {};
    std::vector<const QRgb*> zeilen;
    for (int y = bereich.top(); y <= bereich.bottom(); ++y)
        zeilen.push_back(reinterpret_cast<const QRgb*>(band.constScanLine(y - ursprung.y())));
    // Taken once here: scanLine() on several threads at once would race on
    // the picture's detach check.
    uchar* bits = ansicht.bits();
    const qsizetype zeilenlaenge = ansicht.bytesPerLine();
    const int ws = vollGroesse.width(), hs = vollGroesse.height(), oben = bereich.top();
    const int breite = karte.groesse().width();
    const qint32 umfang = ws * Eins, versatz = karte.m_versatz;
    streifenweise(karte.groesse().height(), alleKerne, [&](Streifen& s) {
        for (int j = s.von; j < s.bis; ++j) {
            const Karte::Punkt* p = karte.m_punkte.get() + qsizetype(j) * breite;
            auto* aus = reinterpret_cast<QRgb*>(bits + j * zeilenlaenge);
            for (int i = 0; i < breite; ++i) {
                qint32 u = p[i].u + versatz;
                u -= u >= umfang ? umfang : 0;
                const qint32 v = p[i].v;
                if (karte.m_bikubisch) {
                    aus[i] = bikubisch(zeilen.data(), oben, ws, hs, u, v);
                    continue;
                }
                const int x0 = u >> Karte::Bruchbits;
                const int x1 = x0 + 1 == ws ? 0 : x0 + 1;
                const auto gy = quint32(v & Maske);
                // v lies in −0.5 … hs−0.5 rows: y is −1 at worst, never past the last row.
                const int y = v >> Karte::Bruchbits;
                const QRgb* r0 = zeilen[std::max(y, 0) - oben];
                const QRgb* r1 = gy ? zeilen[std::min(y + 1, hs - 1) - oben] : r0;
                aus[i] = bilinear(r0[x0], r0[x1], r1[x0], r1[x1], quint32(u & Maske), gy);
            }
        }
    });
    return ansicht;
}

} // namespace schnitt::panorama

namespace schnitt {

panorama::Blick blickAus(const frames::Panoramablick& p, const FrameRechteck& r)
{
    return {p.blickwinkel, p.gier, p.nick, r.width, r.height, p.bikubisch};
}

panorama::Karte Kartenvorrat::karte(QSize quelle, const panorama::Blick& blick)
{
    const Schluessel schluessel{quelle.width(), quelle.height(), blick.blickwinkel, blick.nick,
                                blick.breite,   blick.hoehe,     blick.bikubisch};
    QMutexLocker sperre(&m_sperre);
    auto it = m_karten.find(schluessel);
    if (it == m_karten.end()) {
        panorama::Blick vorn = blick;
        vorn.gier = 0;
        it = m_karten.emplace(schluessel, panorama::Karte(quelle, vorn)).first;
    }
    return it->second.isNull() ? panorama::Karte() : it->second.mitGier(blick.gier);
}

} // namespace schnitt
