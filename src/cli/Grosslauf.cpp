#include "Grosslauf.h"

#include "Aufruf.h"
#include "Ausgabe.h"
#include "Liste.h"
#include "Manifest.h"
#include "NurNeue.h"
#include "Schnittlauf.h"
#include "Teile.h"
#include "Texte.h"
#include "views/Meldungen.h"
#include "views/Video.h"

#include <QDir>
#include <QFileInfo>

#include <numeric>

namespace cli {

namespace {

QString zeigen(const QString& pfad)
{
    return schnitt::meldung::zeilentauglich(QDir::toNativeSeparators(pfad));
}

} // namespace

QString grosslaufAufrufPruefen(const Aufruf& aufruf)
{
    if (!aufruf.liste.isNull() && aufruf.liste.isEmpty())
        return text::ListeLeer.toString();
    if (!aufruf.manifest.isNull() && aufruf.manifest.isEmpty())
        return text::ManifestLeer.toString();
    if (aufruf.nullGetrennt && aufruf.liste.isNull())
        return text::NullOhneListe.toString();
    if (aufruf.pruefen && (aufruf.nurNeue || !aufruf.manifest.isNull()))
        return text::NurBeimSchneiden.arg(aufruf.nurNeue ? u"--nur-neue" : u"--manifest");
    QString fehler;
    if (!aufruf.teil.isNull() && !teilLesen(aufruf.teil, &fehler))
        return fehler;
    return {};
}

bool grosslaufErgaenzen(const Aufruf& aufruf, Auftrag& auftrag, QString* fehler)
{
    Grosslauf& gross = auftrag.gross;
    gross.aktiv = !aufruf.liste.isNull() || !aufruf.teil.isNull() || aufruf.nurNeue ||
                  !aufruf.manifest.isNull();
    if (!gross.aktiv)
        return true;
    gross.nurNeue = aufruf.nurNeue;
    gross.config = aufruf.config;
    gross.manifest = aufruf.manifest;
    // Found out at the end of a long run, it would cost the whole record.
    if (!gross.manifest.isNull()) {
        const QFileInfo info(gross.manifest);
        if (info.isDir()) {
            *fehler = text::ManifestIstOrdner.arg(zeigen(gross.manifest));
            return false;
        }
        if (!QFileInfo(info.absolutePath()).isDir()) {
            *fehler = text::ManifestOrdnerFehlt.arg(zeigen(gross.manifest));
            return false;
        }
    }
    std::optional<Teil> teil;
    if (!aufruf.teil.isNull())
        teil = teilLesen(aufruf.teil, fehler);
    auto imTeil = [&teil](const QString& dateiname) {
        return !teil || teilNummer(dateiname, teil->n) == teil->k;
    };

    QList<schnitt::Stapelbild> bilder;
    for (const schnitt::Stapelbild& bild : std::as_const(auftrag.bilder)) {
        if (imTeil(bild.dateiname))
            bilder.append(bild);
    }
    gross.angaben.resize(bilder.size());
    // As with a folder's subfolders, judged by the text: `find .` also lists
    // the views of an earlier run, which would be cut again, one level deeper
    // each time. An output folder around the current folder (--ausgabe .)
    // holds the pictures themselves.
    const QString hier = QDir::currentPath();
    const QString ziel = QDir::cleanPath(QDir(hier).absoluteFilePath(auftrag.zielOrdner)) + u'/';
    const bool zielUmHier = (hier + u'/').startsWith(ziel);
    auto imZiel = [&](const QString& angabe) {
        return !zielUmHier &&
               QDir::cleanPath(QDir::isAbsolutePath(angabe) ? angabe : hier + u'/' + angabe)
                   .startsWith(ziel);
    };
    if (!aufruf.liste.isNull()) {
        const std::optional<QByteArray> inhalt = listeLesen(aufruf.liste, fehler);
        if (!inhalt)
            return false;
        for (const QString& angabe : listeZerlegen(*inhalt, aufruf.nullGetrennt)) {
            const std::optional<schnitt::Stapelbild> bild = listenbild(angabe);
            // Each entry is looked at, and its error reported, by one part only.
            if (!imTeil(bild ? bild->dateiname : angabe))
                continue;
            const QFileInfo info(angabe);
            if (!bild)
                gross.vorab.append(text::ListeNachAussen.arg(zeigen(angabe)));
            else if (imZiel(angabe))
                gross.vorab.append(text::ListeImAusgabeordner.arg(zeigen(angabe)));
            else if (!info.exists())
                gross.vorab.append(text::ListeFehlt.arg(zeigen(angabe)));
            else if (!info.isFile())
                gross.vorab.append(text::ListeKeineDatei.arg(zeigen(angabe)));
            else if (!schnitt::istBilddatei(info.fileName()) &&
                     !schnitt::video::istVideodatei(info.fileName()))
                gross.vorab.append(text::ListeKeinBild.arg(zeigen(angabe)));
            else {
                bilder.append(*bild);
                gross.angaben.append(angabe);
            }
        }
    }
    auftrag.bilder = std::move(bilder);
    return true;
}

int grosslaufSchneiden(const Auftrag& auftrag, Ausgabe& ausgabe, const std::atomic<bool>* halt)
{
    const Grosslauf& gross = auftrag.gross;
    auto angehalten = [halt] { return halt && halt->load(std::memory_order_acquire); };
    int geschnitten = 0, uebersprungen = 0, fehlgeschlagen = 0;
    for (const QString& zeile : gross.vorab) {
        ausgabe.zeile(zeile);
        ++fehlgeschlagen;
    }

    QList<schnitt::Stapelbild> bilder;
    QList<qsizetype> herkunft; // each picture's index in auftrag.bilder
    if (gross.nurNeue) {
        // Clashes are judged among all pictures: a picture whose views would
        // replace those of an unchanged one before it must not be cut either.
        const QList<qsizetype> gleichWie = schnitt::namensgleiche(auftrag.bilder);
        const std::optional<qint64> configZeit = aenderungszeit(gross.config, true);
        for (qsizetype i = 0; i < auftrag.bilder.size(); ++i) {
            const schnitt::Stapelbild& bild = auftrag.bilder[i];
            // The batch, asked to stop before it begins, starts no picture
            // and says it was stopped.
            if (angehalten())
                break;
            if (gleichWie[i] >= 0) {
                ausgabe.zeile(schnitt::namensgleichZeile(bild, auftrag.bilder[gleichWie[i]]));
                ++fehlgeschlagen;
            } else if (configZeit &&
                       unveraendert(bild, auftrag.plan, auftrag.zielOrdner, *configZeit)) {
                ausgabe.zeile(text::Unveraendert.arg(zeigen(bild.dateiname)));
                ++uebersprungen;
            } else {
                bilder.append(bild);
                herkunft.append(i);
            }
        }
    } else {
        bilder = auftrag.bilder;
        herkunft.resize(bilder.size());
        std::iota(herkunft.begin(), herkunft.end(), qsizetype(0));
    }

    schnitt::Schnittplan plan = auftrag.plan;
    plan.pruefsummen = !gross.manifest.isNull();
    Manifest manifest(auftrag.zielOrdner);
    QString letztedatei;
    schnitt::Stapeloptionen optionen;
    optionen.halt = halt;
    const schnitt::Stapelverlauf verlauf = schnitt::stapelSchneidenIn(
        bilder, plan, auftrag.zielOrdner,
        [&](schnitt::Bildschnitt&& ergebnis, int fertig, int gesamt) {
            bool fehler = false;
            for (const QString& zeile : schnitt::protokollieren(ergebnis, letztedatei)) {
                ausgabe.zeile(zeile);
                fehler |= zeile.startsWith(schnitt::meldung::Fehleranfang);
            }
            ++(fehler ? fehlgeschlagen : geschnitten);
            if (plan.pruefsummen) {
                const qsizetype i = herkunft[ergebnis.stapelNr];
                const schnitt::Stapelbild& bild = auftrag.bilder[i];
                QString angabe = gross.angaben.value(i);
                if (angabe.isNull())
                    angabe = bild.quellOrdner == u"."
                                 ? bild.dateiname
                                 : QDir(bild.quellOrdner).filePath(bild.dateiname);
                for (const schnitt::Ansichtsdatei& datei : std::as_const(ergebnis.dateien))
                    manifest.aufnehmen(angabe, ergebnis, datei);
            }
            ausgabe.fortschritt(fertig, gesamt);
        },
        optionen);

    // Also after a stop: it then holds exactly the views that were written.
    QString grund;
    const bool ohneManifest = plan.pruefsummen && !manifest.schreiben(gross.manifest, &grund);
    if (ohneManifest)
        ausgabe.zeile(text::ManifestNichtGeschrieben.arg(zeigen(gross.manifest), grund));
    ausgabe.zeile(text::Bilanz.arg(QString::number(geschnitten), QString::number(uebersprungen),
                                   QString::number(fehlgeschlagen)));
    for (const QString& zeile : schnitt::stapelSchlusszeilen(verlauf))
        ausgabe.zeile(zeile);
    if (verlauf.ansichten > 0)
        ausgabe.zeile(schnitt::ansichtenIn(auftrag.zielOrdner));
    return fehlgeschlagen > 0 || ohneManifest ? 1 : 0;
}

} // namespace cli
