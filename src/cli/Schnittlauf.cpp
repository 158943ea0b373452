#include "Schnittlauf.h"

#include "Ausgabe.h"
#include "Texte.h"
#include "config/Dateien.h"
#include "config/FrameKonfig.h"
#include "views/Ausschnitt.h"
#include "views/Bildladen.h"
#include "views/Meldungen.h"
#include "views/Pruefung.h"
#include "views/Video.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>

namespace cli {

namespace {

QString zeigen(const QString& pfad)
{
    return schnitt::meldung::zeilentauglich(QDir::toNativeSeparators(pfad));
}

// A file or folder without any read bit is refused even where the user could
// read it anyway (root), as a file written for nobody to read should be.
bool lesbar(const QFileInfo& info)
{
    constexpr auto lesebits =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    return (info.permissions() & lesebits) && info.isReadable();
}

std::optional<frames::FrameKonfiguration> konfigurationLesen(const QString& pfad, QString* fehler)
{
    const QFileInfo info(pfad);
    if (!info.exists()) {
        *fehler = text::ConfigNichtDa.arg(zeigen(pfad));
        return std::nullopt;
    }
    if (!info.isFile()) {
        *fehler = text::ConfigKeineDatei.arg(zeigen(pfad));
        return std::nullopt;
    }
    QFile datei(pfad);
    if (!lesbar(info) || !datei.open(QIODevice::ReadOnly)) {
        *fehler = text::ConfigNichtLesbar.arg(zeigen(pfad),
                                              lesbar(info) ? dateien::grund(errno, true)
                                                           : text::GrundKeineLeserechte.toString());
        return std::nullopt;
    }
    // Every value on its own and 0 when it is missing or bad, as the window
    // reads a slot's file.
    frames::FrameKonfiguration k = frames::konfigurationLesen(pfad);
    if (!k.fehler.isEmpty()) {
        *fehler = k.fehler;
        return std::nullopt;
    }
    if (std::none_of(k.rahmen.begin(), k.rahmen.end(),
                     [](const FrameRechteck& r) { return r.konfiguriert(); })) {
        *fehler = text::ConfigOhneRichtung.arg(zeigen(pfad));
        return std::nullopt;
    }
    return k;
}

// --format and --qualitaet over the file's [Ausgabe].
bool ausgabeWaehlen(frames::Ausgabe& ausgabe, const Aufruf& aufruf, QString* fehler)
{
    if (!aufruf.format.isNull()) {
        const std::optional<frames::Ausgabeformat> f = frames::formatLesen(aufruf.format);
        if (!f) {
            *fehler = text::FormatUnbekannt.arg(aufruf.format) + text::HilfeHinweis.toString();
            return false;
        }
        ausgabe.format = *f;
    }
    if (!aufruf.qualitaet.isNull()) {
        // What is no whole number reads as 0, which the range refuses as well.
        const int q = aufruf.qualitaet.toInt();
        if (q < 1 || q > 100) {
            *fehler = text::QualitaetFalsch.arg(aufruf.qualitaet) + text::HilfeHinweis.toString();
            return false;
        }
        ausgabe.qualitaet = q;
        ausgabe.qualitaetGesetzt = true;
    }
    if (!aufruf.ordner.isNull()) {
        const bool jeRichtung = aufruf.ordner.compare(u"je-richtung", Qt::CaseInsensitive) == 0;
        if (!jeRichtung && aufruf.ordner.compare(u"gemeinsam", Qt::CaseInsensitive) != 0) {
            *fehler = text::OrdnerUnbekannt.arg(aufruf.ordner) + text::HilfeHinweis.toString();
            return false;
        }
        ausgabe.jeRichtung = jeRichtung;
    }
    return true;
}

// The cuts as the window makes them from its ticked boxes.
std::optional<QList<schnitt::Schnitt>> schnitteWaehlen(const frames::FrameKonfiguration& k,
                                                       const Aufruf& aufruf, QString* fehler)
{
    const std::array<FrameRechteck, 4>& rahmen = k.rahmen;
    std::array<std::optional<FrameRechteck>, 4> angehakt;
    if (aufruf.richtungen.isNull()) {
        std::transform(rahmen.begin(), rahmen.end(), angehakt.begin(), [](const FrameRechteck& r) {
            return r.konfiguriert() ? std::optional(r) : std::nullopt;
        });
        return schnitt::schnitteFuer(angehakt, k.panorama, k.gier);
    }
    if (aufruf.richtungen.isEmpty()) {
        *fehler = text::RichtungenLeer.toString() + text::HilfeHinweis.toString();
        return std::nullopt;
    }
    for (const QChar c : aufruf.richtungen) {
        const auto r = std::find_if(richtungen.begin(), richtungen.end(), [c](const auto& i) {
            return c.toUpper() == QChar(i.buchstabe);
        });
        if (r == richtungen.end()) {
            *fehler = text::RichtungUnbekannt.arg(c) + text::HilfeHinweis.toString();
            return std::nullopt;
        }
        const size_t i = static_cast<size_t>(r->richtung);
        // The window cannot tick a direction without a width either.
        if (!rahmen[i].konfiguriert()) {
            *fehler = text::RichtungNichtFestgelegt.arg(QString::fromUtf16(r->name),
                                                        zeigen(aufruf.config));
            return std::nullopt;
        }
        angehakt[i] = rahmen[i];
    }
    return schnitt::schnitteFuer(angehakt, k.panorama, k.gier);
}

class Sammler final
{
public:
    Sammler(QList<schnitt::Stapelbild>& bilder, bool rekursiv, const QString& zielOrdner)
        : m_bilder(bilder)
        , m_rekursiv(rekursiv)
        , m_ziel(QFileInfo(zielOrdner).canonicalFilePath())
    {
    }

    // The folder's pictures as "Alle ausschneiden" chooses them, then those
    // of its subfolders by name, their names with the folder part below
    // `wurzel`.
    bool ordner(const QString& wurzel, const QString& teil, QString* fehler)
    {
        const QString pfad = teil.isEmpty() ? wurzel : QDir(wurzel).filePath(teil);
        const QFileInfo info(pfad);
        if (!lesbar(info)) {
            *fehler = text::OrdnerNichtLesbar.arg(zeigen(pfad));
            return false;
        }
        // A link back up the tree would never end.
        if (!m_besucht.contains(info.canonicalFilePath()))
            m_besucht.insert(info.canonicalFilePath());
        else if (!teil.isEmpty())
            return true;
        const QString vorsatz = teil.isEmpty() ? QString() : teil + u'/';
        for (const QString& name : schnitt::bilderFuerStapel(pfad))
            m_bilder.append({wurzel, vorsatz + name});
        if (!m_rekursiv)
            return true;
        const QStringList unterordner =
            QDir(pfad).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& unter : unterordner) {
            // The views of an earlier run are no pictures to cut.
            if (!m_ziel.isEmpty() &&
                QFileInfo(QDir(pfad).filePath(unter)).canonicalFilePath() == m_ziel)
                continue;
            if (!ordner(wurzel, vorsatz + unter, fehler))
                return false;
        }
        return true;
    }

private:
    QList<schnitt::Stapelbild>& m_bilder;
    bool m_rekursiv;
    QString m_ziel;
    QSet<QString> m_besucht;
};

} // namespace

std::optional<Auftrag> auftragErstellen(const Aufruf& aufruf, QString* fehler)
{
    const auto konfiguration = konfigurationLesen(aufruf.config, fehler);
    if (!konfiguration)
        return std::nullopt;
    Auftrag auftrag;
    if (auto schnitte = schnitteWaehlen(*konfiguration, aufruf, fehler))
        auftrag.plan.schnitte = std::move(*schnitte);
    else
        return std::nullopt;
    auftrag.plan.ausgabe = konfiguration->ausgabe;
    auftrag.plan.vorlage = konfiguration->vorlage;
    auftrag.plan.abstand = konfiguration->abstand;
    auftrag.meldungen = konfiguration->meldungen;
    if (!ausgabeWaehlen(auftrag.plan.ausgabe, aufruf, fehler))
        return std::nullopt;
    if (!aufruf.abstand.isNull()) {
        const auto abstand = schnitt::video::abstandLesen(aufruf.abstand);
        if (!abstand) {
            *fehler = text::AbstandFalsch.arg(aufruf.abstand) + text::HilfeHinweis.toString();
            return std::nullopt;
        }
        auftrag.plan.abstand = *abstand;
    }
    auftrag.zielOrdner =
        aufruf.ausgabe.isNull() ? schnitt::AusgabeOrdnername.toString() : aufruf.ausgabe;

    Sammler sammler(auftrag.bilder, aufruf.rekursiv, auftrag.zielOrdner);
    for (const QString& eingabe : aufruf.eingaben) {
        const QFileInfo info(eingabe);
        if (!info.exists()) {
            *fehler = text::EingabeNichtDa.arg(zeigen(eingabe));
            return std::nullopt;
        }
        if (info.isDir()) {
            const qsizetype vorher = auftrag.bilder.size();
            if (!sammler.ordner(eingabe, {}, fehler))
                return std::nullopt;
            if (auftrag.bilder.size() == vorher)
                auftrag.leereOrdner.append(schnitt::meldung::KeineBilder.arg(zeigen(eingabe)));
        } else if (!info.isFile()) {
            *fehler = text::EingabeWederNoch.arg(zeigen(eingabe));
            return std::nullopt;
        } else if (!schnitt::istBilddatei(info.fileName()) &&
                   !schnitt::video::istVideodatei(info.fileName())) {
            *fehler = text::EingabeKeinBild.arg(zeigen(eingabe));
            return std::nullopt;
        } else {
            auftrag.bilder.append({info.path(), info.fileName()});
        }
    }
    if (!grosslaufErgaenzen(aufruf, auftrag, fehler))
        return std::nullopt;
    return auftrag;
}

int schneiden(const Auftrag& auftrag, Ausgabe& ausgabe, const std::atomic<bool>* halt)
{
    bool fehlgeschlagen = !auftrag.leereOrdner.isEmpty();
    for (const QString& zeile : auftrag.meldungen + auftrag.leereOrdner) {
        ausgabe.zeile(zeile);
        fehlgeschlagen |= zeile.startsWith(schnitt::meldung::Fehleranfang);
    }
    if (auftrag.bilder.isEmpty() && !auftrag.leereOrdner.isEmpty())
        return 1;
    if (auftrag.gross.aktiv) {
        const int code = grosslaufSchneiden(auftrag, ausgabe, halt);
        return code == 0 && fehlgeschlagen ? 1 : code;
    }
    QString letztedatei;
    schnitt::Stapeloptionen optionen;
    optionen.halt = halt;
    const schnitt::Stapelverlauf verlauf = schnitt::stapelSchneidenIn(
        auftrag.bilder, auftrag.plan, auftrag.zielOrdner,
        [&](schnitt::Bildschnitt&& ergebnis, int fertig, int gesamt) {
            for (const QString& zeile : schnitt::protokollieren(ergebnis, letztedatei)) {
                ausgabe.zeile(zeile);
                fehlgeschlagen |= zeile.startsWith(schnitt::meldung::Fehleranfang);
            }
            ausgabe.fortschritt(fertig, gesamt);
        },
        optionen);
    for (const QString& zeile : schnitt::stapelSchlusszeilen(verlauf))
        ausgabe.zeile(zeile);
    if (verlauf.ansichten > 0)
        ausgabe.zeile(schnitt::ansichtenIn(auftrag.zielOrdner));
    return fehlgeschlagen ? 1 : 0;
}

int pruefen(const Auftrag& auftrag, Ausgabe& ausgabe)
{
    for (const QString& zeile : auftrag.meldungen + auftrag.leereOrdner)
        ausgabe.zeile(zeile);
    for (const QString& zeile : auftrag.gross.vorab)
        ausgabe.zeile(zeile);
    const schnitt::Pruefung p =
        schnitt::rahmenPruefen(auftrag.bilder, auftrag.plan,
                               [&](const schnitt::Bildbefund& befund, int fertig, int gesamt) {
                                   if (!befund.skaliert.isEmpty())
                                       ausgabe.zeile(befund.skaliert);
                                   for (const QString& zeile : befund.befunde)
                                       ausgabe.zeile(zeile);
                                   ausgabe.fortschritt(fertig, gesamt);
                               });
    ausgabe.zeile(p.summe());
    return p.allesPasst() && auftrag.gross.vorab.isEmpty() && auftrag.leereOrdner.isEmpty() ? 0 : 1;
}

} // namespace cli
