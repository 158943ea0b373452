#include "Schneider.h"

#include "Ausschnitt.h"
#include "Bildladen.h"
#include "Meldungen.h"

#include <QDir>

namespace schnitt {

QList<Schnitt> schnitteFuer(const std::array<std::optional<FrameRechteck>, 4>& angehakt)
{
    QList<Schnitt> schnitte;
    for (Richtung r : schnittReihenfolge) {
        if (const auto& rechteck = angehakt[static_cast<size_t>(r)])
            schnitte.append({QChar(info(r).buchstabe), *rechteck});
    }
    return schnitte;
}

namespace {

// The part of the picture that the cuts reach, before clipping to the
// picture; an invalid rectangle when none of them has an area.
QRect benoetigterBereich(const QList<Schnitt>& schnitte)
{
    QRect bereich;
    for (const Schnitt& s : schnitte) {
        const FrameRechteck& r = s.rechteck;
        if (buchstabeZulaessig(s.buchstabe) && r.width > 0 && r.height > 0)
            bereich |= QRect(r.left, r.top, r.width, r.height);
    }
    return bereich;
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

    const qsizetype trenner = dateiname.lastIndexOf(u'/');
    const QString name = dateiname.mid(trenner + 1);
    // Checked before decoding: without a base name no view can be saved.
    if (ansichtsStamm(name).isNull()) {
        ergebnis.fehler = meldung::NameZuKurz.arg(anzeige);
        return ergebnis;
    }
    const QString ordner =
        trenner < 0 ? zielOrdner : QDir(zielOrdner).filePath(dateiname.left(trenner));
    QString grund;
    if (!ausgabeOrdnerAnlegen(ordner, &grund)) {
        ergebnis.fehler =
            meldung::OrdnerNichtAngelegt.arg(anzeige, QDir::toNativeSeparators(ordner), grund);
        return ergebnis;
    }
    const QString quellpfad = QDir(quellOrdner).filePath(dateiname);
    GeladenesBild geladen;
    const QRect bereich = benoetigterBereich(schnitte);
    if (umfang == Dekodierung::nurBenoetigt && bereich.isValid())
        geladen = bereichLaden(quellpfad, bereich, budget);
    else
        geladen = bildLaden(quellpfad);
    if (!geladen.ok()) {
        ergebnis.fehler = meldung::NichtGeladen.arg(anzeige, geladen.fehler);
        return ergebnis;
    }
    ergebnis.bild = std::move(geladen.bild);
    ergebnis.ursprung = geladen.ursprung;
    ergebnis.vollGroesse = geladen.vollGroesse;

    for (const Schnitt& s : schnitte) {
        const FrameRechteck& r = s.rechteck;
        if (!buchstabeZulaessig(s.buchstabe)) {
            ergebnis.zeilen.append(meldung::BuchstabeUngueltig.arg(anzeige, s.buchstabe));
            continue;
        }
        if (r.width <= 0 || r.height <= 0) {
            ergebnis.zeilen.append(meldung::RahmenUngueltig.arg(anzeige, richtungsName(s.buchstabe),
                                                                QString::number(r.width),
                                                                QString::number(r.height)));
            continue;
        }
        const QString pfad = QDir(ordner).filePath(ansichtsDateiname(name, s.buchstabe));
        QString fehlerzeile;
        Schreibbericht bericht;
        bericht.mitPruefsumme = plan.pruefsummen;
        // Straight from the decoded rows into the file's bytes where that
        // works; the way through a view picture otherwise.
        if (const QByteArray bmp = ansichtAlsBmp(ergebnis.bild, ergebnis.ursprung, r);
            !bmp.isNull()) {
            if (!bmpSpeichern(bmp, pfad, &fehlerzeile, &bericht)) {
                ergebnis.zeilen.append(fehlerzeile);
                continue;
            }
        } else {
            const QImage ansicht = ausschneiden(ergebnis.bild, ergebnis.ursprung, r);
            if (ansicht.isNull()) {
                ergebnis.zeilen.append(
                    meldung::KeinSpeicher.arg(anzeige, richtungsName(s.buchstabe),
                                              QString::number(r.width), QString::number(r.height)));
                continue;
            }
            if (!ansichtSpeichern(ansicht, pfad, &fehlerzeile, &bericht)) {
                ergebnis.zeilen.append(fehlerzeile);
                continue;
            }
        }
        ergebnis.dateien.append({s.buchstabe, QRect(r.left, r.top, r.width, r.height), pfad,
                                 bericht.groesse, bericht.sha256});
        const QString meldungszeile = erstelltMeldung(s.buchstabe);
        if (!meldungszeile.isEmpty())
            ergebnis.zeilen.append(meldungszeile);
    }
    return ergebnis;
}

QStringList protokollieren(const Bildschnitt& schnitt, QString& letztedatei)
{
    if (!schnitt.fehler.isEmpty())
        return {schnitt.fehler};
    if (schnitt.bild.isNull())
        return {};
    QStringList zeilen;
    if (schnitt.dateiname.compare(letztedatei, Qt::CaseInsensitive) != 0) {
        zeilen.append(meldung::Trennlinie.toString());
        zeilen.append(meldung::Ueberschrift.arg(meldung::zeilentauglich(schnitt.dateiname)));
    }
    zeilen += schnitt.zeilen;
    letztedatei = schnitt.dateiname;
    return zeilen;
}

Schnittprotokoll bildAusschneiden(const QString& quellOrdner, const QString& dateiname,
                                  const Schnittplan& plan, const QString& programmOrdner,
                                  QString& letztedatei)
{
    Bildschnitt schnitt = bildSchneiden(quellOrdner, dateiname, plan, programmOrdner);
    QStringList zeilen = protokollieren(schnitt, letztedatei);
    return {std::move(zeilen), std::move(schnitt.bild)};
}

bool istBilddatei(const QString& dateiname)
{
    for (QStringView endung : {u"jpg", u"gif", u"bmp"}) {
        if (dateiname.endsWith(endung, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QStringList bilderFuerStapel(const QString& ordner)
{
    // Hidden files are files too; named pipes and sockets are left out, as
    // reading them would block.
    QStringList namen =
        QDir(ordner).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    namen.removeIf([](const QString& name) { return !istBilddatei(name); });
    return namen;
}

} // namespace schnitt
