#include "Schneider.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Geometrie.h"
#include "JpegVerlustfrei.h"
#include "Kodierer.h"
#include "Meldungen.h"
#include "Metadaten.h"
#include "Panorama.h"
#include "Video.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace schnitt {

QList<Schnitt> schnitteFuer(const std::array<std::optional<FrameRechteck>, 4>& angehakt,
                            const std::array<std::optional<frames::Panoramablick>, 4>& panorama,
                            const std::array<double, 4>& gier)
{
    QList<Schnitt> schnitte;
    for (Richtung r : schnittReihenfolge) {
        const size_t i = static_cast<size_t>(r);
        if (const auto& rechteck = angehakt[i])
            schnitte.append({QChar(info(r).buchstabe), *rechteck, panorama[i], gier[i]});
    }
    return schnitte;
}

namespace {

// Metadata that cannot be put into the file never costs the view.
QByteArray mitMetadatenOderOhne(const QByteArray& datei, frames::Ausgabeformat format,
                                const Ansichtsmetadaten& metadaten)
{
    const QByteArray mit = mitMetadaten(datei, format, metadaten);
    return mit.isNull() ? datei : mit;
}

bool gueltigerSchnitt(const Schnitt& s, const QRect& r)
{
    return buchstabeZulaessig(s.buchstabe) && r.width() > 0 && r.height() > 0;
}

// A view's pixels, Format_RGB32, written in the plan's format with its
// metadata.
bool bildSchreiben(const QImage& ansicht, const Schnittplan& plan, const QByteArray& icc,
                   const Ansichtsmetadaten& metadaten, const QString& pfad, QString* fehlerzeile,
                   Schreibbericht* bericht)
{
    const frames::Ausgabeformat format = plan.ausgabe.format;
    if (format == frames::Ausgabeformat::bmp) {
        if (const QByteArray bmp = ansichtAlsBmp(ansicht, QPoint(0, 0), ansicht.rect());
            !bmp.isNull())
            return bmpSpeichern(bmp, pfad, fehlerzeile, bericht);
        return ansichtSpeichern(ansicht, pfad, fehlerzeile, bericht);
    }
    Kodierung kodierung{format, std::nullopt, icc};
    if (format == frames::Ausgabeformat::jpg || plan.ausgabe.qualitaetGesetzt)
        kodierung.qualitaet = plan.ausgabe.qualitaet;
    QString grund;
    const QByteArray datei = kodieren(ansicht, kodierung, &grund);
    if (datei.isNull()) {
        *fehlerzeile = meldung::NichtGeschrieben.arg(
            meldung::zeilentauglich(QDir::toNativeSeparators(pfad)), grund);
        return false;
    }
    return bmpSpeichern(mitMetadatenOderOhne(datei, format, metadaten), pfad, fehlerzeile, bericht);
}

// One view of a picture that has been decoded (in part, at `ursprung`),
// written in the plan's format. `r` is in pixels of the upright picture; the
// stored pixels are turned by `orientierung`. On failure returns false with
// the view's error line in `fehlerzeile`.
bool ansichtSchreiben(const GeladenesBild& g, const QRect& r, int orientierung,
                      const Schnittplan& plan, const Ansichtsmetadaten& metadaten,
                      const QString& pfad, QString* fehlerzeile, Schreibbericht* bericht,
                      const QString& anzeige, QChar buchstabe)
{
    const frames::Ausgabeformat format = plan.ausgabe.format;
    if (format == frames::Ausgabeformat::bmp && orientierung == 1) {
        // Straight from the decoded rows into the file's bytes where that
        // works; the way through a view picture otherwise.
        if (const QByteArray bmp = ansichtAlsBmp(g.bild, g.ursprung, r); !bmp.isNull())
            return bmpSpeichern(bmp, pfad, fehlerzeile, bericht);
    }
    QImage ansicht =
        ausschneiden(g.bild, g.ursprung, inGespeicherte(r, g.vollGroesse, orientierung));
    if (!ansicht.isNull())
        ansicht = aufrichten(ansicht, orientierung);
    if (ansicht.isNull()) {
        *fehlerzeile =
            meldung::KeinSpeicher.arg(anzeige, richtungsName(buchstabe), QString::number(r.width()),
                                      QString::number(r.height()));
        return false;
    }
    if (ansicht.format() != QImage::Format_RGB32)
        ansicht = ansicht.convertToFormat(QImage::Format_RGB32);
    return bildSchreiben(ansicht, plan, g.icc, metadaten, pfad, fehlerzeile, bericht);
}

// What a cut knows of its picture once it is decoded.
struct Zuschnitt
{
    const GeladenesBild& geladen;
    int orientierung;
    const QList<QRect>& rechtecke;             // per cut, in pixels of the upright picture
    const QList<QByteArray>& ohneNeukodierung; // per cut, a JPEG cut without decoding
    bool verlustfrei;
    const Quellmetadaten& metadaten;
    const QString& ordner; // where the views go
    const QString& stamm;  // what the views' names start with
    const QString& anzeige;
};

// Metadata is read only where the views can hold it or a manifest or a rig asks for it.
bool mitMetadaten(const Schnittplan& plan)
{
    return plan.ausgabe.format != frames::Ausgabeformat::bmp || plan.pruefsummen ||
           plan.ausgabe.jeRichtung;
}

// Where each view lies in the upright picture. A panorama view's
// "rectangle" is its size; it is not scaled.
QList<QRect> rechteckeFuer(const Schnittplan& plan, QSize bild)
{
    QList<QRect> rechtecke(plan.schnitte.size());
    std::transform(plan.schnitte.cbegin(), plan.schnitte.cend(), rechtecke.begin(),
                   [&](const Schnitt& s) {
                       const FrameRechteck& f = s.rechteck;
                       return s.panorama ? QRect(0, 0, f.width, f.height)
                                         : wirksamesRechteck(f, plan.vorlage, bild);
                   });
    return rechtecke;
}

// The line that says the rectangles were scaled to the picture, if any was.
std::optional<QString> skaliertZeile(const Schnittplan& plan, const QList<QRect>& rechtecke,
                                     QSize bild, const QString& anzeige)
{
    if (!plan.vorlage.skalieren)
        return std::nullopt;
    for (qsizetype i = 0; i < plan.schnitte.size(); ++i) {
        const Schnitt& s = plan.schnitte[i];
        const FrameRechteck& f = s.rechteck;
        if (!s.panorama && rechtecke[i] != QRect(f.left, f.top, f.width, f.height))
            return meldung::Skaliert.arg(anzeige, QString::number(bild.width()),
                                         QString::number(bild.height()));
    }
    return std::nullopt;
}

// The folder the views of `dateiname` go to, made where missing; null with
// the picture's error line in `ergebnis` where it cannot be.
QString ansichtsOrdner(Bildschnitt& ergebnis, const QString& dateiname, const QString& zielOrdner)
{
    const QString anzeige = meldung::zeilentauglich(dateiname);
    const qsizetype trenner = dateiname.lastIndexOf(u'/');
    // Checked before decoding: without a base name no view can be saved.
    if (ansichtsStamm(dateiname.mid(trenner + 1)).isNull()) {
        ergebnis.fehler = meldung::NameZuKurz.arg(anzeige);
        return {};
    }
    const QString ordner =
        trenner < 0 ? zielOrdner : QDir(zielOrdner).filePath(dateiname.left(trenner));
    QString grund;
    if (!ausgabeOrdnerAnlegen(ordner, &grund)) {
        ergebnis.fehler =
            meldung::OrdnerNichtAngelegt.arg(anzeige, QDir::toNativeSeparators(ordner), grund);
        return {};
    }
    return ordner;
}

// Every view of a decoded picture, its lines and files into `ergebnis`.
void ansichtenSchreiben(Bildschnitt& ergebnis, const Zuschnitt& z, const Schnittplan& plan,
                        Kartenvorrat& karten)
{
    QString grund;
    const GeladenesBild& geladen = z.geladen;
    const int orientierung = z.orientierung;
    const QSize aufrechtGroesse = aufrecht(geladen.vollGroesse, orientierung);
    const QString& anzeige = z.anzeige;
    const qsizetype n = plan.schnitte.size();
    const QList<Schnitt>& schnitte = plan.schnitte;
    const QList<QRect>& rechtecke = z.rechtecke;
    auto karteFuer = [&](const Schnitt& s, QSize bild) {
        return karten.karte(bild, blickAus(*s.panorama, s.rechteck));
    };
    ergebnis.bild = geladen.bild;
    ergebnis.ursprung = geladen.ursprung;
    ergebnis.vollGroesse = aufrechtGroesse;
    ergebnis.bearbeitet = true;

    const bool bmp = plan.ausgabe.format == frames::Ausgabeformat::bmp;
    const Quellmetadaten& quellmetadaten = z.metadaten;
    if (!quellmetadaten.leer()) {
        ergebnis.aufnahme = quellmetadaten.aufnahme();
        ergebnis.breitengrad = quellmetadaten.breitengrad();
        ergebnis.laengengrad = quellmetadaten.laengengrad();
    }
    const std::optional<double> brennweite = quellmetadaten.brennweitePixel();
    const std::optional<double> richtung = quellmetadaten.blickrichtung();

    QImage aufrechtBild; // a turned picture, whole, for its panorama views
    for (qsizetype i = 0; i < n; ++i) {
        const Schnitt& s = schnitte[i];
        const QRect& r = rechtecke[i];
        if (!buchstabeZulaessig(s.buchstabe)) {
            ergebnis.zeilen.append(meldung::BuchstabeUngueltig.arg(anzeige, s.buchstabe));
            continue;
        }
        if (r.width() <= 0 || r.height() <= 0) {
            ergebnis.zeilen.append(meldung::RahmenUngueltig.arg(anzeige, richtungsName(s.buchstabe),
                                                                QString::number(r.width()),
                                                                QString::number(r.height())));
            continue;
        }
        if (!s.panorama && !r.intersects(QRect(QPoint(0, 0), aufrechtGroesse))) {
            ergebnis.zeilen.append(meldung::GanzAusserhalb.arg(
                anzeige, richtungsName(s.buchstabe), QString::number(r.left()),
                QString::number(r.top()), QString::number(r.width()), QString::number(r.height()),
                QString::number(aufrechtGroesse.width()),
                QString::number(aufrechtGroesse.height())));
            continue;
        }
        if (s.panorama && !panorama::zweiZuEins(aufrechtGroesse)) {
            ergebnis.zeilen.append(meldung::KeinPanorama.arg(
                anzeige, richtungsName(s.buchstabe), QString::number(aufrechtGroesse.width()),
                QString::number(aufrechtGroesse.height())));
            continue;
        }
        const QString pfad = QDir(z.ordner).filePath(
            ansichtsName(z.stamm, s.buchstabe, plan.ausgabe.format, plan.ausgabe.jeRichtung));
        if (plan.ausgabe.jeRichtung) {
            const QString richtungsOrdner = QFileInfo(pfad).path();
            if (!ausgabeOrdnerAnlegen(richtungsOrdner, &grund)) {
                ergebnis.zeilen.append(meldung::OrdnerNichtAngelegt.arg(
                    anzeige, QDir::toNativeSeparators(richtungsOrdner), grund));
                continue;
            }
        }
        Ansichtsangaben angaben{r.size(), orientierung != 1, s.gier, std::nullopt};
        std::optional<Lochkamera> kamera;
        if (s.panorama) {
            angaben.blickwinkel = s.panorama->blickwinkel;
            kamera = Lochkamera{r.size(), brennweitePixel(r.width(), s.panorama->blickwinkel),
                                r.width() / 2.0, r.height() / 2.0};
        } else if (brennweite) {
            // The principal point stays where it was in the whole picture.
            kamera = Lochkamera{r.size(), *brennweite, aufrechtGroesse.width() / 2.0 - r.x(),
                                aufrechtGroesse.height() / 2.0 - r.y()};
        }
        const Ansichtsmetadaten metadaten =
            bmp ? Ansichtsmetadaten() : metadatenFuer(quellmetadaten, angaben);
        QString fehlerzeile;
        Schreibbericht bericht;
        bericht.mitPruefsumme = plan.pruefsummen;
        bool ok = false;
        if (s.panorama) {
            if (orientierung != 1 && aufrechtBild.isNull())
                aufrechtBild = aufrichten(geladen.bild, orientierung);
            const QImage ansicht =
                orientierung != 1
                    ? panorama::abbilden(aufrechtBild, QPoint(0, 0), aufrechtGroesse,
                                         karteFuer(s, aufrechtGroesse), plan.alleKerne)
                    : panorama::abbilden(geladen.bild, geladen.ursprung, aufrechtGroesse,
                                         karteFuer(s, aufrechtGroesse), plan.alleKerne);
            if (ansicht.isNull())
                fehlerzeile = meldung::KeinSpeicher.arg(anzeige, richtungsName(s.buchstabe),
                                                        QString::number(r.width()),
                                                        QString::number(r.height()));
            else
                ok = bildSchreiben(ansicht, plan, geladen.icc, metadaten, pfad, &fehlerzeile,
                                   &bericht);
        } else {
            ok = !z.ohneNeukodierung[i].isNull()
                     ? bmpSpeichern(mitMetadatenOderOhne(z.ohneNeukodierung[i],
                                                         frames::Ausgabeformat::jpg, metadaten),
                                    pfad, &fehlerzeile, &bericht)
                     : ansichtSchreiben(geladen, r, orientierung, plan, metadaten, pfad,
                                        &fehlerzeile, &bericht, anzeige, s.buchstabe);
        }
        if (!ok) {
            ergebnis.zeilen.append(fehlerzeile);
            continue;
        }
        std::optional<double> blickrichtung;
        if (richtung)
            blickrichtung = kompass(*richtung + s.gier);
        ergebnis.dateien.append(
            {s.buchstabe, r, pfad, bericht.groesse, bericht.sha256, blickrichtung, kamera});
        QString meldungszeile = erstelltMeldung(s.buchstabe);
        if (!meldungszeile.isEmpty() && z.verlustfrei && z.ohneNeukodierung[i].isNull())
            meldungszeile += meldung::NeuKodiert;
        if (!meldungszeile.isEmpty())
            ergebnis.zeilen.append(meldungszeile);
    }
}

} // namespace

Bildschnitt bildSchneiden(const QString& quellOrdner, const QString& dateiname,
                          const Schnittplan& plan, const QString& programmOrdner,
                          Dekodierung umfang, Speicherbudget* budget)
{
    return bildSchneidenIn(quellOrdner, dateiname, plan, ausgabeOrdner(programmOrdner), umfang,
                           budget);
}

Bildschnitt bildSchneidenIn(const QString& quellOrdner, const QString& dateiname,
                            const Schnittplan& plan, const QString& zielOrdner, Dekodierung umfang,
                            Speicherbudget* budget)
{
    const QList<Schnitt>& schnitte = plan.schnitte;
    Bildschnitt ergebnis;
    ergebnis.dateiname = dateiname;
    if (schnitte.isEmpty())
        return ergebnis;
    const QString anzeige = meldung::zeilentauglich(dateiname);

    const QString name = dateiname.mid(dateiname.lastIndexOf(u'/') + 1);
    const QString ordner = ansichtsOrdner(ergebnis, dateiname, zielOrdner);
    if (ordner.isNull())
        return ergebnis;
    QString grund;

    // Where each view lies in the upright picture, once its size is known.
    const qsizetype n = schnitte.size();
    QList<QRect> rechtecke(n);
    QList<bool> ohneDekodieren(n, false);
    const bool exif = plan.vorlage.exif;
    const bool verlustfrei =
        plan.ausgabe.format == frames::Ausgabeformat::jpg && plan.ausgabe.verlustfrei;
    // A panorama view's "rectangle" is its size; it is not scaled.
    auto berechnen = [&](QSize gespeichert, int orientierung) {
        rechtecke = rechteckeFuer(plan, aufrecht(gespeichert, orientierung));
    };
    const std::shared_ptr<Kartenvorrat> karten =
        plan.karten ? plan.karten : std::make_shared<Kartenvorrat>();
    auto karteFuer = [&](const Schnitt& s, QSize bild) {
        return karten->karte(bild, blickAus(*s.panorama, s.rechteck));
    };
    const Bereichswahl wahl = [&](const Bildkopf& kopf) -> std::optional<QRect> {
        const int orientierung = exif ? kopf.orientierung : 1;
        berechnen(kopf.groesse, orientierung);
        if (verlustfrei && kopf.jpeg && orientierung == 1) {
            const JpegRaster raster = jpegRasterLesen(kopf.inhalt);
            std::transform(schnitte.cbegin(), schnitte.cend(), rechtecke.cbegin(),
                           ohneDekodieren.begin(), [&](const Schnitt& s, const QRect& r) {
                               return !s.panorama && gueltigerSchnitt(s, r) &&
                                      verlustfreiSchneidbar(raster, r);
                           });
        }
        QRect bereich;
        bool mitPixeln = false, ganz = false;
        for (qsizetype i = 0; i < n; ++i) {
            if (!gueltigerSchnitt(schnitte[i], rechtecke[i]) || ohneDekodieren[i])
                continue;
            mitPixeln = true;
            if (!schnitte[i].panorama) {
                bereich |= inGespeicherte(rechtecke[i], kopf.groesse, orientierung);
            } else if (orientierung != 1) {
                ganz = true; // turned whole before it is sampled
            } else if (panorama::zweiZuEins(kopf.groesse)) {
                // Only the band of rows the view's samples reach.
                bereich |= karteFuer(schnitte[i], kopf.groesse).bereich();
            }
        }
        if (!mitPixeln && ohneDekodieren.contains(true) && umfang == Dekodierung::nurBenoetigt)
            return std::nullopt;
        // Without a cut that has an area the picture is still decoded whole,
        // so that a damaged one is reported as such.
        return umfang == Dekodierung::nurBenoetigt && !ganz ? bereich : QRect();
    };
    const QString quellpfad = QDir(quellOrdner).filePath(dateiname);
    GeladenesBild geladen = bereichLaden(quellpfad, wahl, budget);
    if (!geladen.ok()) {
        ergebnis.fehler = meldung::NichtGeladen.arg(anzeige, geladen.fehler);
        return ergebnis;
    }
    const int orientierung = exif ? geladen.orientierung : 1;
    berechnen(geladen.vollGroesse, orientierung);
    const QSize aufrechtGroesse = aufrecht(geladen.vollGroesse, orientierung);

    // The views that need no decoding, cut in one pass; where that fails,
    // they are decoded and encoded like the others.
    QList<QByteArray> ohneNeukodierung(n);
    QList<QRect> bereiche;
    for (qsizetype i = 0; i < n; ++i) {
        if (ohneDekodieren[i])
            bereiche.append(rechtecke[i]);
    }
    if (!bereiche.isEmpty()) {
        const QList<QByteArray> teile = verlustfreiSchneiden(geladen.inhalt, bereiche, &grund);
        for (qsizetype i = 0, k = 0; i < n && !teile.isEmpty(); ++i) {
            if (ohneDekodieren[i])
                ohneNeukodierung[i] = teile[k++];
        }
        if (teile.isEmpty() && geladen.bild.isNull()) {
            geladen = bereichLaden(
                quellpfad, [](const Bildkopf&) { return std::optional<QRect>(QRect()); }, budget);
            if (!geladen.ok()) {
                ergebnis.fehler = meldung::NichtGeladen.arg(anzeige, geladen.fehler);
                return ergebnis;
            }
        }
    }
    if (const auto zeile = skaliertZeile(plan, rechtecke, aufrechtGroesse, anzeige))
        ergebnis.zeilen.append(*zeile);
    Quellmetadaten quellmetadaten;
    if (mitMetadaten(plan)) {
        bool unlesbar = false;
        quellmetadaten = metadatenLesen(geladen.inhalt, &unlesbar);
        if (unlesbar)
            ergebnis.zeilen.append(MetadatenUnlesbar.arg(anzeige));
    }
    ansichtenSchreiben(ergebnis,
                       {geladen, orientierung, rechtecke, ohneNeukodierung, verlustfrei,
                        quellmetadaten, ordner, ansichtsStamm(name), anzeige},
                       plan, *karten);
    return ergebnis;
}

Bildschnitt videobildSchneidenIn(const QString& dateiname, const video::Videobild& bild,
                                 const QDateTime& aufnahme, const Schnittplan& plan,
                                 const QString& zielOrdner)
{
    Bildschnitt ergebnis;
    ergebnis.dateiname = dateiname;
    ergebnis.bildNr = bild.nummer;
    ergebnis.zeit = bild.zeit.sekunden();
    if (plan.schnitte.isEmpty())
        return ergebnis;
    const QString anzeige = meldung::zeilentauglich(dateiname);
    const QString ordner = ansichtsOrdner(ergebnis, dateiname, zielOrdner);
    if (ordner.isNull())
        return ergebnis;
    GeladenesBild geladen;
    geladen.bild = bild.bild;
    geladen.vollGroesse = bild.bild.size();
    const QList<QRect> rechtecke = rechteckeFuer(plan, geladen.vollGroesse);
    if (const auto zeile = skaliertZeile(plan, rechtecke, geladen.vollGroesse, anzeige))
        ergebnis.zeilen.append(*zeile);
    const Quellmetadaten metadaten =
        mitMetadaten(plan) && aufnahme.isValid() ? aufnahmeMetadaten(aufnahme) : Quellmetadaten();
    const QList<QByteArray> ohneNeukodierung(plan.schnitte.size());
    Kartenvorrat eigeneKarten;
    ansichtenSchreiben(ergebnis,
                       {geladen, 1, rechtecke, ohneNeukodierung, false, metadaten, ordner,
                        videobildStamm(dateiname.mid(dateiname.lastIndexOf(u'/') + 1), bild.nummer),
                        anzeige},
                       plan, plan.karten ? *plan.karten : eigeneKarten);
    return ergebnis;
}

QString sekunden(double zeit)
{
    // Milliseconds at most, with a comma and without trailing zeros: 8,333.
    QString text = QString::number(zeit, 'f', 3);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.replace(u'.', u',');
}

QStringList protokollieren(const Bildschnitt& schnitt, QString& letztedatei)
{
    if (!schnitt.fehler.isEmpty())
        return {schnitt.fehler};
    if (!schnitt.bearbeitet)
        return {};
    QStringList zeilen;
    // Every frame of a video is a block of its own.
    const QString schluessel = schnitt.bildNr
                                   ? schnitt.dateiname + u'\n' + QString::number(*schnitt.bildNr)
                                   : schnitt.dateiname;
    if (schluessel.compare(letztedatei, Qt::CaseInsensitive) != 0) {
        const QString name = meldung::zeilentauglich(schnitt.dateiname);
        zeilen.append(meldung::Trennlinie.toString());
        zeilen.append(schnitt.bildNr
                          ? meldung::VideobildUeberschrift.arg(
                                name, QString::number(*schnitt.bildNr), sekunden(schnitt.zeit))
                          : meldung::Ueberschrift.arg(name));
    }
    zeilen += schnitt.zeilen;
    letztedatei = schluessel;
    return zeilen;
}

Schnittprotokoll bildAusschneiden(const QString& quellOrdner, const QString& dateiname,
                                  const Schnittplan& plan, const QString& programmOrdner,
                                  QString& letztedatei)
{
    Bildschnitt schnitt = bildSchneiden(quellOrdner, dateiname, plan, programmOrdner);
    QStringList zeilen = protokollieren(schnitt, letztedatei);
    return {std::move(zeilen), std::move(schnitt.bild), schnitt.vollGroesse};
}

bool istBilddatei(const QString& dateiname)
{
    // The first three as they have always been taken, dot or not; the
    // others only as extensions.
    for (QStringView endung :
         {u"jpg", u"gif", u"bmp", u".jpeg", u".jpe", u".png", u".tif", u".tiff", u".webp"}) {
        if (dateiname.endsWith(endung, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString bildmuster()
{
    // The first three as the list has always shown them.
    return QStringLiteral("*.bmp;*.jpg;*.gif;*.jpeg;*.jpe;*.png;*.tif;*.tiff;*.webp");
}

QStringList bilderFuerStapel(const QString& ordner)
{
    // Hidden files are files too; named pipes and sockets are left out, as
    // reading them would block.
    QStringList namen =
        QDir(ordner).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    namen.removeIf(
        [](const QString& name) { return !istBilddatei(name) && !video::istVideodatei(name); });
    return namen;
}

} // namespace schnitt
