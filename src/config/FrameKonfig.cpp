#include "FrameKonfig.h"

#include "Dateien.h"
#include "Profil.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

#include <cfenv>
#include <cmath>
#include <limits>
#include <utility>

namespace frames {

namespace {

// A frame value as a 16-bit number: a decimal number in the notation of the
// default locale, a fraction rounded half to even. Text that is no number
// reads as 0 (toDouble gives 0 for it), and so does a number outside
// -32768..32767.
qint16 zahlLesen(const QString& text)
{
    const double zahl = QLocale().toDouble(text.trimmed());
    if (!std::isfinite(zahl))
        return 0;
    // nearbyint rounds in the current mode, which is to-nearest-even: 150.5
    // becomes 150 and 151.5 becomes 152, as the files have always been read.
    const int alt = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double gerundet = std::nearbyint(zahl);
    std::fesetround(alt);
    if (gerundet < std::numeric_limits<qint16>::min() ||
        gerundet > std::numeric_limits<qint16>::max())
        return 0;
    return static_cast<qint16>(gerundet);
}

QString zeigen(const QString& pfad)
{
    return QDir::toNativeSeparators(QFileInfo(pfad).fileName());
}

// Panorama angles may be written with a point or a comma, whatever the locale.
std::optional<double> dezimalLesen(QString text)
{
    text = text.trimmed().replace(u',', u'.');
    bool ok;
    const double zahl = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(zahl))
        return std::nullopt;
    return zahl;
}

const struct
{
    Ausgabeformat format;
    const char16_t* endung;
    const char16_t* name;
} formate[] = {{Ausgabeformat::bmp, u"bmp", u"BMP"},
               {Ausgabeformat::png, u"png", u"PNG"},
               {Ausgabeformat::jpg, u"jpg", u"JPEG"},
               {Ausgabeformat::tif, u"tif", u"TIFF"},
               {Ausgabeformat::webp, u"webp", u"WebP"}};

class Leser final
{
public:
    Leser(const QString& pfad, QByteArray inhalt)
        : m_pfad(pfad)
        , m_inhalt(std::move(inhalt))
    {
    }
    QString wert(const QString& sektion, const QString& schluessel) const
    {
        // Every entry of a frame file is a number or a keyword.
        return profildatei::lesenAus(m_inhalt, sektion, schluessel,
                                     profildatei::Kommentar::abschneiden)
            .trimmed();
    }
    const QString& pfad() const { return m_pfad; }
    const QByteArray& inhalt() const { return m_inhalt; }

private:
    QString m_pfad;
    QByteArray m_inhalt;
};

void ausgabeLesen(const Leser& l, FrameKonfiguration& k)
{
    const QString sektion = QStringLiteral("Ausgabe");
    const QString format = l.wert(sektion, QStringLiteral("Format"));
    if (!format.isEmpty()) {
        const std::optional<Ausgabeformat> f = formatLesen(format);
        if (!f) {
            k.fehler = QStringLiteral("Ausgabeformat '%1' in '%2' ist unbekannt: erlaubt sind "
                                      "bmp, png, jpg, tif und webp")
                           .arg(format, zeigen(l.pfad()));
            return;
        }
        k.ausgabe.format = *f;
    }
    const QString qualitaet = l.wert(sektion, QStringLiteral("Qualitaet"));
    if (!qualitaet.isEmpty()) {
        // Text that is no number reads as 0, which is out of range as well.
        const int q = qualitaet.toInt();
        if (q < 1 || q > 100) {
            k.fehler = QStringLiteral("Qualitaet '%1' in '%2' liegt nicht zwischen 1 und 100")
                           .arg(qualitaet, zeigen(l.pfad()));
            return;
        }
        k.ausgabe.qualitaet = q;
        k.ausgabe.qualitaetGesetzt = true;
    }
    const QString verlustfrei = l.wert(sektion, QStringLiteral("Verlustfrei"));
    if (!verlustfrei.isEmpty() && verlustfrei != u"0" && verlustfrei != u"1") {
        k.fehler = QStringLiteral("Verlustfrei '%1' in '%2' ist weder 0 noch 1")
                       .arg(verlustfrei, zeigen(l.pfad()));
        return;
    }
    k.ausgabe.verlustfrei = verlustfrei == u"1";
    const QString ordner = l.wert(sektion, QStringLiteral("Ordner"));
    k.ausgabe.jeRichtung = ordner.compare(u"je Richtung", Qt::CaseInsensitive) == 0;
    if (!k.ausgabe.jeRichtung && !ordner.isEmpty() &&
        ordner.compare(u"gemeinsam", Qt::CaseInsensitive) != 0)
        k.meldungen.append(QStringLiteral("'%1': Ordner=%2 ist unbekannt (gemeinsam oder je "
                                          "Richtung); die Ansichten kommen in einen Ordner")
                               .arg(zeigen(l.pfad()), ordner));
    if (k.ausgabe.jeRichtung)
        k.meldungen.append(QStringLiteral("Ausgabeordner: je Richtung (V, L, R, Z)"));
    if (k.ausgabe.format == Ausgabeformat::bmp)
        return;
    QString zeile = QStringLiteral("Ausgabeformat: ") + formatName(k.ausgabe.format);
    if (k.ausgabe.format == Ausgabeformat::jpg || k.ausgabe.qualitaetGesetzt)
        zeile += QStringLiteral(", Qualität %1").arg(k.ausgabe.qualitaet);
    else if (k.ausgabe.format == Ausgabeformat::webp)
        zeile += QStringLiteral(", verlustfrei");
    if (k.ausgabe.format == Ausgabeformat::jpg && k.ausgabe.verlustfrei)
        zeile += QStringLiteral(", ohne Neukodierung wo möglich");
    k.meldungen.append(zeile);
}

void vorlageLesen(const Leser& l, FrameKonfiguration& k)
{
    const QString sektion = QStringLiteral("Vorlage");
    // Text that is no number reads as 0, as a size not given.
    auto positiv = [&](const char* schluessel) {
        return qMax<qint64>(0, l.wert(sektion, QLatin1String(schluessel)).toLongLong());
    };
    k.vorlage.vorhanden = !profildatei::lesenAus(l.inhalt(), sektion, QString()).isEmpty();
    k.vorlage.breite = positiv("Breite");
    k.vorlage.hoehe = positiv("Hoehe");
    const QString anpassen = l.wert(sektion, QStringLiteral("Anpassen"));
    if (anpassen.compare(u"skalieren", Qt::CaseInsensitive) == 0) {
        k.vorlage.skalieren = k.vorlage.breite > 0 && k.vorlage.hoehe > 0;
        if (!k.vorlage.skalieren)
            k.meldungen.append(QStringLiteral("'%1': Anpassen=skalieren gilt nicht, denn [Vorlage] "
                                              "nennt keine Breite und Hoehe über 0; die Rahmen "
                                              "bleiben in Pixeln")
                                   .arg(zeigen(l.pfad())));
    } else if (!anpassen.isEmpty() && anpassen.compare(u"nein", Qt::CaseInsensitive) != 0) {
        k.meldungen.append(
            QStringLiteral("'%1': Anpassen=%2 ist unbekannt (nein oder skalieren); die Rahmen "
                           "bleiben in Pixeln")
                .arg(zeigen(l.pfad()), anpassen));
    }
    const QString ausrichtung = l.wert(sektion, QStringLiteral("Ausrichtung"));
    k.vorlage.exif = ausrichtung.compare(u"exif", Qt::CaseInsensitive) == 0;
    if (!k.vorlage.exif && !ausrichtung.isEmpty())
        k.meldungen.append(QStringLiteral("'%1': Ausrichtung=%2 ist unbekannt (exif); die Bilder "
                                          "bleiben, wie sie gespeichert sind")
                               .arg(zeigen(l.pfad()), ausrichtung));
}

void videoLesen(const Leser& l, FrameKonfiguration& k)
{
    const QString abstand = l.wert(QStringLiteral("Video"), QStringLiteral("Abstand"));
    if (abstand.isEmpty())
        return;
    if (const std::optional<schnitt::video::Abstand> a = schnitt::video::abstandLesen(abstand))
        k.abstand = *a;
    else
        k.meldungen.append(QStringLiteral("Error: '%1': Abstand=%2 ist weder eine ganze Zahl über "
                                          "0 noch eine Zeit wie 2s; es gilt 1s")
                               .arg(zeigen(l.pfad()), abstand));
}

// Gier of any direction: where a rectangle's camera looks is only its
// heading, so a value that is no number keeps the default and says so.
void gierLesen(const Leser& l, FrameKonfiguration& k, size_t i)
{
    const RichtungsInfo& r = richtungen[i];
    const QString sektion = QString::fromUtf16(r.name);
    k.gier[i] = vorgabeGier(r.richtung);
    const QString text = l.wert(sektion, QStringLiteral("Gier"));
    if (text.isEmpty())
        return;
    if (const auto gier = dezimalLesen(text))
        k.gier[i] = *gier;
    else if (k.rahmen[i].konfiguriert() &&
             dezimalLesen(l.wert(sektion, QStringLiteral("Blickwinkel"))) <= 0)
        k.meldungen.append(
            QStringLiteral("Error: '%1', %2: Gier %3 ist keine Zahl; die "
                           "Blickrichtung ist %4")
                .arg(zeigen(l.pfad()), sektion, text, winkelText(vorgabeGier(r.richtung))));
}

void panoramaLesen(const Leser& l, FrameKonfiguration& k, size_t i)
{
    const RichtungsInfo& r = richtungen[i];
    const QString sektion = QString::fromUtf16(r.name);
    const QString winkelText = l.wert(sektion, QStringLiteral("Blickwinkel"));
    const std::optional<double> winkel = dezimalLesen(winkelText);
    if (winkelText.isEmpty() || (winkel && *winkel <= 0))
        return;
    auto unbrauchbar = [&](const QString& was) {
        k.meldungen.append(QStringLiteral("Error: '%1', %2: %3; die Richtung ist nicht festgelegt")
                               .arg(zeigen(l.pfad()), sektion, was));
        k.rahmen[i].width = 0;
    };
    if (!winkel || *winkel < 1 || *winkel > 179)
        return unbrauchbar(
            QStringLiteral("Blickwinkel %1 liegt nicht zwischen 1 und 179").arg(winkelText));
    Panoramablick blick;
    blick.blickwinkel = *winkel;
    blick.gier = vorgabeGier(r.richtung);
    const QString gierText = l.wert(sektion, QStringLiteral("Gier"));
    if (!gierText.isEmpty()) {
        const auto gier = dezimalLesen(gierText);
        if (!gier)
            return unbrauchbar(QStringLiteral("Gier %1 ist keine Zahl").arg(gierText));
        blick.gier = *gier;
    }
    const QString nickText = l.wert(sektion, QStringLiteral("Nick"));
    if (!nickText.isEmpty()) {
        const auto nick = dezimalLesen(nickText);
        if (!nick || *nick < -90 || *nick > 90)
            return unbrauchbar(
                QStringLiteral("Nick %1 liegt nicht zwischen -90 und 90").arg(nickText));
        blick.nick = *nick;
    }
    blick.bikubisch = l.wert(sektion, QStringLiteral("Interpolation"))
                          .compare(u"bikubisch", Qt::CaseInsensitive) == 0;
    k.panorama[i] = blick;
    k.gier[i] = blick.gier;
}

} // namespace

std::optional<Ausgabeformat> formatLesen(QStringView text)
{
    const QStringView t = text.trimmed();
    for (const auto& f : formate) {
        if (t.compare(QStringView(f.endung), Qt::CaseInsensitive) == 0)
            return f.format;
    }
    return std::nullopt;
}

QString formatName(Ausgabeformat format)
{
    for (const auto& f : formate) {
        if (f.format == format)
            return QString::fromUtf16(f.name);
    }
    return {};
}

QString formatEndung(Ausgabeformat format)
{
    for (const auto& f : formate) {
        if (f.format == format)
            return QString::fromUtf16(f.endung);
    }
    return {};
}

double vorgabeGier(Richtung richtung)
{
    switch (richtung) {
    case Richtung::Vorwaerts:
        return 0;
    case Richtung::Rechts:
        return 90;
    case Richtung::Zurueck:
        return 180;
    case Richtung::Links:
        return -90;
    }
    return 0;
}

FrameKonfiguration konfigurationLesen(const QString& pfad)
{
    FrameKonfiguration k;
    QString grund;
    QByteArray inhalt = dateien::lesen(pfad, &grund);
    // A file that cannot be read reads as empty: every value 0.
    const Leser l(pfad, inhalt.isNull() ? QByteArray() : std::move(inhalt));
    for (size_t r = 0; r < richtungen.size(); ++r) {
        const QString sektion = QString::fromUtf16(richtungen[r].name);
        qint16* felder[] = {&k.rahmen[r].top, &k.rahmen[r].left, &k.rahmen[r].width,
                            &k.rahmen[r].height};
        for (size_t s = 0; s < schluessel.size(); ++s) {
            // Each value is read on its own, so one bad value spoils only itself.
            *felder[s] = zahlLesen(l.wert(sektion, QString::fromUtf16(schluessel[s])));
        }
        gierLesen(l, k, r);
        panoramaLesen(l, k, r);
    }
    ausgabeLesen(l, k);
    vorlageLesen(l, k);
    videoLesen(l, k);
    return k;
}

std::array<FrameRechteck, 4> laden(const QString& pfad)
{
    return konfigurationLesen(pfad).rahmen;
}

bool rechteckSchreiben(const QString& pfad, Richtung richtung, const FrameRechteck& rechteck,
                       QString* fehler, std::optional<QSize> vorlage)
{
    const QString sektion = QString::fromUtf16(info(richtung).name);
    const std::array<qint16, 4> werte = {rechteck.top, rechteck.left, rechteck.width,
                                         rechteck.height};
    return profildatei::aendern(
        pfad,
        [&](QByteArray inhalt) {
            // [Vorlage] first, so that a section the frame adds stays the last one.
            if (vorlage) {
                const QString v = QStringLiteral("Vorlage");
                inhalt = profildatei::mitWert(inhalt, v, QStringLiteral("Breite"),
                                              QString::number(vorlage->width()));
                inhalt = profildatei::mitWert(inhalt, v, QStringLiteral("Hoehe"),
                                              QString::number(vorlage->height()));
                inhalt = profildatei::mitWert(inhalt, v, QStringLiteral("Anpassen"),
                                              QStringLiteral("nein"));
            }
            for (size_t i = 0; i < werte.size(); ++i)
                inhalt = profildatei::mitWert(inhalt, sektion, QString::fromUtf16(schluessel[i]),
                                              QString::number(werte[i]));
            return inhalt;
        },
        fehler);
}

QString winkelText(double winkel)
{
    QString text = QString::number(std::round(winkel * 100) / 100, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    // A value just below zero rounds to "-0", which reads oddly in a file.
    return text == u"-0" ? QStringLiteral("0") : text;
}

bool panoramaSchreiben(const QString& pfad, Richtung richtung, const Panoramablick& blick,
                       QString* fehler)
{
    const QString sektion = QString::fromUtf16(info(richtung).name);
    const std::pair<const char*, double> werte[] = {
        {"Blickwinkel", blick.blickwinkel}, {"Gier", blick.gier}, {"Nick", blick.nick}};
    return profildatei::aendern(
        pfad,
        [&](QByteArray inhalt) {
            for (const auto& [schluessel, wert] : werte)
                inhalt = profildatei::mitWert(inhalt, sektion, QLatin1String(schluessel),
                                              winkelText(wert));
            return inhalt;
        },
        fehler);
}

} // namespace frames
