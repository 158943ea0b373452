#include "VersionDatei.h"

#include "config/Cp1252.h"

#include <cmath>

namespace update {

QString letzteZeile(QByteArrayView inhalt)
{
    QByteArrayView letzte;
    const qsizetype n = inhalt.size();
    qsizetype anfang = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (inhalt[i] != '\r')
            continue;
        letzte = inhalt.sliced(anfang, i - anfang);
        qsizetype weiter = i + 1;
        if (weiter < n && inhalt[weiter] == '\n')
            ++weiter;
        anfang = weiter;
        i = weiter - 1;
    }
    if (anfang < n)
        letzte = inhalt.sliced(anfang);
    return cp1252::dekodieren(letzte);
}

std::optional<QString> versionsText(QByteArrayView inhalt)
{
    constexpr qsizetype vorspann = 9;
    const QString zeile = letzteZeile(inhalt);
    if (zeile.size() <= vorspann)
        return std::nullopt;
    return zeile.sliced(vorspann);
}

std::optional<float> versionsZahl(const QString& text, const QLocale& gebietsschema)
{
    bool ok = false;
    const float zahl = gebietsschema.toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(zahl))
        return std::nullopt;
    return zahl;
}

bool istNeuer(const QString& serverversion, const QString& laufendeVersion,
              const QLocale& gebietsschema)
{
    const std::optional<float> server = versionsZahl(serverversion, gebietsschema);
    const std::optional<float> laufend = versionsZahl(laufendeVersion, gebietsschema);
    return server && laufend && *server > *laufend;
}

} // namespace update
