#include "Uebersichtlauf.h"

#include "Aufruf.h"
#include "Ausgabe.h"
#include "Schnittlauf.h"
#include "Texte.h"
#include "views/Blatt.h"
#include "views/Kacheln.h"
#include "views/Meldungen.h"

#include <QDir>
#include <QtConcurrent>

#include <algorithm>

namespace cli {

namespace {

// The letter of L, R, V, Z or a direction's name, without regard to case.
std::optional<Richtung> richtungLesen(const QString& wert)
{
    for (const RichtungsInfo& r : richtungen) {
        if (wert.compare(QString(QChar(r.buchstabe)), Qt::CaseInsensitive) == 0 ||
            wert.compare(QString::fromUtf16(r.name), Qt::CaseInsensitive) == 0)
            return r.richtung;
    }
    return std::nullopt;
}

} // namespace

QString uebersichtAufrufPruefen(const Aufruf& aufruf)
{
    const bool uebersicht = !aufruf.uebersicht.isNull();
    if (uebersicht != !aufruf.blatt.isNull())
        return text::UebersichtOhneBlatt.toString();
    if (!aufruf.kachel.isNull() && !uebersicht)
        return text::KachelOhneUebersicht.toString();
    if (!uebersicht)
        return {};
    if (aufruf.blatt.isEmpty())
        return text::BlattLeer.toString();
    if (!richtungLesen(aufruf.uebersicht))
        return text::UebersichtRichtungUnbekannt.arg(aufruf.uebersicht);
    if (!aufruf.kachel.isNull()) {
        // What is no whole number reads as 0, which the range refuses as well.
        const int n = aufruf.kachel.toInt();
        if (n < schnitt::KachelhoeheMin || n > schnitt::KachelhoeheMax)
            return text::KachelFalsch.arg(aufruf.kachel)
                .arg(schnitt::KachelhoeheMin)
                .arg(schnitt::KachelhoeheMax);
    }
    for (const auto& [gegeben, name] :
         {std::pair{aufruf.pruefen, u"--pruefen"}, std::pair{!aufruf.teil.isNull(), u"--teil"},
          std::pair{aufruf.nurNeue, u"--nur-neue"},
          std::pair{!aufruf.manifest.isNull(), u"--manifest"}}) {
        if (gegeben)
            return text::NichtMitUebersicht.arg(QString::fromUtf16(name));
    }
    return {};
}

int uebersichtSchreiben(const Auftrag& auftrag, const Aufruf& aufruf, Ausgabe& ausgabe)
{
    for (const QString& zeile : auftrag.meldungen)
        ausgabe.zeile(zeile);
    for (const QString& zeile : auftrag.gross.vorab)
        ausgabe.zeile(zeile);
    const Richtung richtung = *richtungLesen(aufruf.uebersicht);
    const QChar buchstabe(info(richtung).buchstabe);
    const auto schnitt =
        std::find_if(auftrag.plan.schnitte.cbegin(), auftrag.plan.schnitte.cend(),
                     [buchstabe](const schnitt::Schnitt& s) { return s.buchstabe == buchstabe; });
    if (schnitt == auftrag.plan.schnitte.cend()) {
        ausgabe.fehlerzeile(
            text::Programm.toString() + QStringLiteral(": ") +
            text::RichtungNichtFestgelegt.arg(QString::fromUtf16(info(richtung).name),
                                              QDir::toNativeSeparators(aufruf.config)));
        return 2;
    }
    const int hoehe = aufruf.kachel.isNull() ? schnitt::KachelhoeheStandard : aufruf.kachel.toInt();
    const schnitt::Kachelvorgabe vorgabe = schnitt::kachelvorgabe(auftrag.plan, *schnitt, hoehe);
    // Every core, in the order of the pictures, as the window shows them.
    const QList<schnitt::Kachel> kacheln =
        QtConcurrent::blockingMapped(auftrag.bilder, [&vorgabe](const schnitt::Stapelbild& b) {
            return schnitt::kachelMachen(b, vorgabe);
        });
    bool rot = !auftrag.gross.vorab.isEmpty();
    for (const schnitt::Kachel& k : kacheln) {
        for (const QString& zeile : k.zeilen)
            ausgabe.zeile(zeile);
        rot |= k.rot();
    }
    QString fehlerzeile;
    if (!schnitt::blattSpeichern(schnitt::blattZeichnen(kacheln, vorgabe.breite, vorgabe.hoehe),
                                 aufruf.blatt, &fehlerzeile)) {
        ausgabe.zeile(fehlerzeile);
        return 1;
    }
    ausgabe.zeile(text::BlattGeschrieben.arg(
        QString::number(kacheln.size()),
        schnitt::meldung::zeilentauglich(QDir::toNativeSeparators(aufruf.blatt))));
    return rot ? 1 : 0;
}

} // namespace cli
