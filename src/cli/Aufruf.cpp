#include "Aufruf.h"

#include "Grosslauf.h"
#include "Texte.h"
#include "Uebersichtlauf.h"

namespace cli {

std::optional<Aufruf> aufrufLesen(const QStringList& argumente, QString* fehler)
{
    Aufruf aufruf;
    auto scheitern = [fehler](const QString& zeile) {
        *fehler = zeile + text::HilfeHinweis.toString();
        return std::nullopt;
    };
    const struct
    {
        QStringView name;
        QString Aufruf::*wert;
    } mitWert[] = {{u"--config", &Aufruf::config},
                   {u"--richtungen", &Aufruf::richtungen},
                   {u"--ausgabe", &Aufruf::ausgabe},
                   {u"--liste", &Aufruf::liste},
                   {u"--teil", &Aufruf::teil},
                   {u"--manifest", &Aufruf::manifest},
                   {u"--format", &Aufruf::format},
                   {u"--qualitaet", &Aufruf::qualitaet},
                   {u"--ordner", &Aufruf::ordner},
                   {u"--abstand", &Aufruf::abstand},
                   {u"--uebersicht", &Aufruf::uebersicht},
                   {u"--blatt", &Aufruf::blatt},
                   {u"--kachel", &Aufruf::kachel}};
    const struct
    {
        QStringView name;
        bool Aufruf::*schalter;
    } ohneWert[] = {{u"--rekursiv", &Aufruf::rekursiv},
                    {u"--pruefen", &Aufruf::pruefen},
                    {u"--null", &Aufruf::nullGetrennt},
                    {u"--nur-neue", &Aufruf::nurNeue}};

    for (const QString& arg : argumente) {
        if (arg == u"--")
            break;
        if (arg == u"--help" || arg == u"-h") {
            aufruf.hilfe = true;
            return aufruf;
        }
    }

    bool optionenZuEnde = false;
    for (qsizetype i = 0; i < argumente.size(); ++i) {
        const QString& arg = argumente[i];
        // A lone "-" is a name like any other.
        if (optionenZuEnde || !arg.startsWith(u'-') || arg == u"-") {
            aufruf.eingaben.append(arg);
            continue;
        }
        if (arg == u"--") {
            optionenZuEnde = true;
            continue;
        }
        const qsizetype gleich = arg.indexOf(u'=');
        const QString name = gleich == -1 ? arg : arg.left(gleich);
        bool erkannt = false;
        for (const auto& o : mitWert) {
            if (name != o.name)
                continue;
            erkannt = true;
            QString wert;
            if (gleich != -1)
                wert = arg.mid(gleich + 1);
            else if (i + 1 < argumente.size())
                wert = argumente[++i];
            else
                return scheitern(text::WertFehlt.arg(name));
            if (!(aufruf.*o.wert).isNull())
                return scheitern(text::Doppelt.arg(name));
            // Never null from here on, so that an empty value counts as given.
            aufruf.*o.wert = wert.isNull() ? QStringLiteral("") : wert;
        }
        for (const auto& o : ohneWert) {
            if (name != o.name)
                continue;
            erkannt = true;
            if (gleich != -1)
                return scheitern(text::WertUnerwartet.arg(name));
            aufruf.*o.schalter = true;
        }
        if (!erkannt)
            return scheitern(text::OptionUnbekannt.arg(name));
    }
    if (aufruf.config.isEmpty())
        return scheitern(text::ConfigFehlt.toString());
    if (!aufruf.ausgabe.isNull() && aufruf.ausgabe.isEmpty())
        return scheitern(text::AusgabeLeer.toString());
    if (aufruf.eingaben.isEmpty() && aufruf.liste.isNull())
        return scheitern(text::EingabeFehlt.toString());
    if (const QString warum = grosslaufAufrufPruefen(aufruf); !warum.isEmpty())
        return scheitern(warum);
    if (const QString warum = uebersichtAufrufPruefen(aufruf); !warum.isEmpty())
        return scheitern(warum);
    return aufruf;
}

} // namespace cli
