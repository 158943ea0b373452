#include "Kacheln.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Geometrie.h"
#include "JpegBereich.h"
#include "Meldungen.h"
#include "Panorama.h"
#include "Pruefung.h"
#include "Video.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <vector>

namespace schnitt {

std::optional<Kachelvorgabe> kachelvorgabe(const frames::FrameKonfiguration& konfiguration,
                                           const FrameRechteck& rechteck, Richtung richtung,
                                           int hoehe)
{
    if (!rechteck.konfiguriert())
        return std::nullopt;
    std::array<std::optional<FrameRechteck>, 4> angehakt;
    angehakt[static_cast<size_t>(richtung)] = rechteck;
    Schnittplan plan(schnitteFuer(angehakt, konfiguration.panorama, konfiguration.gier));
    plan.ausgabe = konfiguration.ausgabe;
    plan.vorlage = konfiguration.vorlage;
    const Schnitt schnitt = plan.schnitte.front();
    return kachelvorgabe(std::move(plan), schnitt, hoehe);
}

Kachelvorgabe kachelvorgabe(Schnittplan plan, const Schnitt& schnitt, int hoehe)
{
    Kachelvorgabe v;
    v.plan = std::move(plan);
    v.plan.schnitte = {schnitt};
    v.plan.karten = std::make_shared<Kartenvorrat>();
    v.hoehe = std::clamp(hoehe, KachelhoeheMin, KachelhoeheMax);
    v.breite = kachelbreite(schnitt.rechteck, v.hoehe);
    return v;
}

std::optional<Richtung> ersteRichtung(const std::array<FrameRechteck, 4>& rahmen)
{
    for (Richtung r : overlayReihenfolge) {
        if (rahmen[static_cast<size_t>(r)].konfiguriert())
            return r;
    }
    return std::nullopt;
}

int kachelbreite(const FrameRechteck& rechteck, int hoehe)
{
    if (rechteck.width <= 0 || rechteck.height <= 0)
        return hoehe;
    const int breite = int(std::lround(double(hoehe) * rechteck.width / rechteck.height));
    return std::clamp(breite, hoehe / 4, hoehe * 4);
}

QSize kachelgroesse(QSize ansicht, int breite, int hoehe)
{
    if (ansicht.isEmpty())
        return {};
    const double f =
        std::min({1.0, double(breite) / ansicht.width(), double(hoehe) / ansicht.height()});
    return {std::max(1, int(std::lround(ansicht.width() * f))),
            std::max(1, int(std::lround(ansicht.height() * f)))};
}

namespace {

// The source pixels [a, b) a target pixel covers, each with its share.
struct Anteile
{
    std::vector<int> anfang, ende; // per target pixel, into `gewichte`
    std::vector<int> index;
    std::vector<float> gewichte;
};

Anteile anteile(double von, double bis, int ziel, int grenze)
{
    Anteile a;
    const double schritt = (bis - von) / ziel;
    for (int i = 0; i < ziel; ++i) {
        const double a0 = std::clamp(von + i * schritt, 0.0, double(grenze));
        const double a1 = std::clamp(von + (i + 1) * schritt, 0.0, double(grenze));
        a.anfang.push_back(int(a.index.size()));
        const double summe = a1 - a0;
        for (int p = int(std::floor(a0)); p < int(std::ceil(a1)); ++p) {
            const double teil = std::min(a1, p + 1.0) - std::max(a0, double(p));
            if (teil <= 0)
                continue;
            a.index.push_back(p);
            a.gewichte.push_back(float(teil / summe));
        }
        a.ende.push_back(int(a.index.size()));
    }
    return a;
}

} // namespace

QImage flaechenmittel(const QImage& quelle, const QRectF& bereich, QSize ziel)
{
    if (quelle.isNull() || ziel.isEmpty() || bereich.isEmpty())
        return {};
    const QImage q = quelle.format() == QImage::Format_RGB32
                         ? quelle
                         : quelle.convertToFormat(QImage::Format_RGB32);
    const Anteile spalten = anteile(bereich.left(), bereich.right(), ziel.width(), q.width());
    const Anteile zeilen = anteile(bereich.top(), bereich.bottom(), ziel.height(), q.height());
    const int w = ziel.width();
    // Each source row the target reaches, averaged across once.
    const int erste = zeilen.index.empty() ? 0 : zeilen.index.front();
    const int letzte = zeilen.index.empty() ? -1 : zeilen.index.back();
    std::vector<float> quer(size_t(std::max(0, letzte - erste + 1)) * size_t(w) * 3);
    for (int y = erste; y <= letzte; ++y) {
        const QRgb* zeile = reinterpret_cast<const QRgb*>(q.constScanLine(y));
        float* aus = quer.data() + size_t(y - erste) * size_t(w) * 3;
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0;
            for (int k = spalten.anfang[x]; k < spalten.ende[x]; ++k) {
                const QRgb p = zeile[spalten.index[k]];
                const float f = spalten.gewichte[k];
                r += f * float(qRed(p));
                g += f * float(qGreen(p));
                b += f * float(qBlue(p));
            }
            aus[3 * x] = r;
            aus[3 * x + 1] = g;
            aus[3 * x + 2] = b;
        }
    }
    QImage ergebnis(ziel, QImage::Format_RGB32);
    if (ergebnis.isNull())
        return {};
    auto kanal = [](float v) { return std::clamp(int(v + 0.5f), 0, 255); };
    std::vector<float> summe(size_t(w) * 3);
    for (int y = 0; y < ziel.height(); ++y) {
        std::fill(summe.begin(), summe.end(), 0.0f);
        for (int k = zeilen.anfang[y]; k < zeilen.ende[y]; ++k) {
            const float* ein = quer.data() + size_t(zeilen.index[k] - erste) * size_t(w) * 3;
            const float f = zeilen.gewichte[k];
            for (size_t i = 0; i < summe.size(); ++i)
                summe[i] += f * ein[i];
        }
        QRgb* aus = reinterpret_cast<QRgb*>(ergebnis.scanLine(y));
        for (int x = 0; x < w; ++x)
            aus[x] = qRgb(kanal(summe[3 * x]), kanal(summe[3 * x + 1]), kanal(summe[3 * x + 2]));
    }
    return ergebnis;
}

namespace {

// The reason without "Error: " and the picture's name in front: the tile
// shows the name below itself.
QString grundFuer(const QString& zeile, const QString& name)
{
    QString grund = zeile;
    if (grund.startsWith(meldung::Fehleranfang))
        grund.remove(0, meldung::Fehleranfang.size());
    const QString anzeige = meldung::zeilentauglich(name);
    const QString nichtGeladen = meldung::NichtGeladen.arg(anzeige, QString());
    if (zeile.startsWith(nichtGeladen))
        grund = zeile.mid(nichtGeladen.size());
    else if (grund.startsWith(anzeige + u':') || grund.startsWith(anzeige + u','))
        grund.remove(0, anzeige.size() + 1);
    grund = grund.trimmed();
    if (!grund.isEmpty())
        grund[0] = grund[0].toUpper();
    return grund;
}

Kachel rot(Kachel k, const QString& zeile)
{
    k.zeilen.append(zeile);
    if (k.grund.isEmpty())
        k.grund = grundFuer(zeile, k.name);
    return k;
}

// The view of an upright picture held whole (a video frame, a decoded
// panorama), shrunk.
QImage ausGanzem(const QImage& bild, const Schnitt& s, const Kachelvorgabe& v, QSize* ansicht)
{
    if (s.panorama) {
        const panorama::Karte karte =
            v.plan.karten->karte(bild.size(), blickAus(*s.panorama, s.rechteck));
        const QImage blick = panorama::abbilden(bild, QPoint(0, 0), bild.size(), karte);
        *ansicht = blick.size();
        return flaechenmittel(blick, blick.rect(), kachelgroesse(blick.size(), v.breite, v.hoehe));
    }
    const QRect r = wirksamesRechteck(s.rechteck, v.plan.vorlage, bild.size());
    *ansicht = r.size();
    return flaechenmittel(bild, r, kachelgroesse(r.size(), v.breite, v.hoehe));
}

// The smallest of libjpeg's scales (1/8 … 8/8) at which `teil` still has
// at least `ziel`'s pixels.
int kleinsteAchtel(QSize teil, QSize ziel)
{
    for (int achtel : {1, 2, 4}) {
        if (qint64(teil.width()) * achtel >= qint64(ziel.width()) * 8 &&
            qint64(teil.height()) * achtel >= qint64(ziel.height()) * 8)
            return achtel;
    }
    return 8;
}

// A rectangle view of a JPEG from its bytes alone, scaled while decoding;
// null where libjpeg will not, so that the usual reader judges the file.
QImage jpegKachel(const GeladenesBild& g, const QRect& gespeichert, QSize ziel)
{
    JpegKopf kopf;
    QString grund;
    // A progressive file holds all its coefficients while it is decoded, at
    // any scale: above the limit the usual reader refuses it.
    if (!jpegVollstaendig(g.inhalt) || !jpegKopfLesen(g.inhalt, &kopf, &grund) ||
        kopf.koeffizientenBytes > (qint64(SpeichergrenzeMB) << 20))
        return {};
    const int achtel = kleinsteAchtel(gespeichert.size(), ziel);
    const double f = achtel / 8.0;
    const QSize skaliert(int(std::ceil(g.vollGroesse.width() * f)),
                         int(std::ceil(g.vollGroesse.height() * f)));
    const QRectF bereich(gespeichert.x() * f, gespeichert.y() * f, gespeichert.width() * f,
                         gespeichert.height() * f);
    const QRect teil =
        QRect(QPoint(int(std::floor(bereich.left())), int(std::floor(bereich.top()))),
              QPoint(int(std::ceil(bereich.right())) - 1, int(std::ceil(bereich.bottom())) - 1))
            .intersected(QRect(QPoint(0, 0), skaliert));
    if (teil.isEmpty())
        return {};
    const QImage dekodiert = jpegBereichDekodieren(g.inhalt, teil, &grund, achtel);
    if (dekodiert.isNull())
        return {};
    return flaechenmittel(dekodiert, bereich.translated(-teil.topLeft()), ziel);
}

} // namespace

Kachel kachelMachen(const Stapelbild& bild, const Kachelvorgabe& v)
{
    Kachel k;
    k.name = bild.dateiname;
    if (v.plan.schnitte.size() != 1)
        return k;
    const Schnitt& s = v.plan.schnitte.front();
    const Pruefung p = rahmenPruefen(
        {bild}, v.plan, [&k](const Bildbefund& befund, int, int) { k.zeilen = befund.befunde; });
    if (!p.allesPasst()) {
        if (!k.zeilen.isEmpty())
            k.grund = grundFuer(k.zeilen.front(), k.name);
        return k;
    }
    k.zeilen.clear();
    const QString pfad = QDir(bild.quellOrdner).filePath(bild.dateiname);
    const QString anzeige = meldung::zeilentauglich(bild.dateiname);
    QSize ansicht;
    if (video::istVideodatei(bild.dateiname)) {
        video::Video film = video::Video::ausDatei(pfad);
        const std::optional<video::Videobild> erstes = film.bild(0);
        if (!erstes) {
            const QString grund =
                film.fehler() ? film.fehler()->grund : QString(video::GrundBeschaedigt.toString());
            return rot(k, meldung::NichtGeladen.arg(anzeige, grund));
        }
        k.bild = ausGanzem(erstes->bild, s, v, &ansicht);
    } else {
        const bool exif = v.plan.vorlage.exif;
        // A JPEG rectangle is decoded below, scaled; everything else whole.
        GeladenesBild g = bereichLaden(pfad, [&](const Bildkopf& kopf) -> std::optional<QRect> {
            if (kopf.jpeg && !s.panorama)
                return std::nullopt;
            return QRect();
        });
        if (!g.ok())
            return rot(k, meldung::NichtGeladen.arg(anzeige, g.fehler));
        const int orientierung = exif ? g.orientierung : 1;
        const QSize aufrechtGroesse = aufrecht(g.vollGroesse, orientierung);
        if (s.panorama) {
            k.bild = ausGanzem(aufrichten(g.bild, orientierung), s, v, &ansicht);
        } else {
            const QRect r = wirksamesRechteck(s.rechteck, v.plan.vorlage, aufrechtGroesse);
            const QRect gespeichert = inGespeicherte(r, g.vollGroesse, orientierung);
            const QSize ziel = kachelgroesse(r.size(), v.breite, v.hoehe);
            const QSize zielGespeichert = aufrecht(ziel, orientierung); // the turn swaps back
            ansicht = r.size();
            QImage klein;
            if (g.bild.isNull()) {
                klein = jpegKachel(g, gespeichert, zielGespeichert);
                if (klein.isNull()) {
                    // Judged whole, as the cut judges a damaged file.
                    g = bereichLaden(pfad, [](const Bildkopf&) { return std::optional(QRect()); });
                    if (!g.ok())
                        return rot(k, meldung::NichtGeladen.arg(anzeige, g.fehler));
                }
            }
            if (klein.isNull())
                klein =
                    flaechenmittel(g.bild, gespeichert.translated(-g.ursprung), zielGespeichert);
            k.bild = klein.isNull() ? klein : aufrichten(klein, orientierung);
        }
    }
    if (k.bild.isNull())
        return rot(k, meldung::KeinSpeicher.arg(anzeige, richtungsName(s.buchstabe),
                                                QString::number(ansicht.width()),
                                                QString::number(ansicht.height())));
    if (k.bild.format() != QImage::Format_RGB32)
        k.bild = k.bild.convertToFormat(QImage::Format_RGB32);
    return k;
}

} // namespace schnitt
