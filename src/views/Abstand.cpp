#include "Abstand.h"

namespace schnitt::video {

namespace {

// Digits only, at most `hoechstens` of them; nothing when empty.
std::optional<qint64> ziffern(QStringView text, qsizetype hoechstens)
{
    if (text.isEmpty() || text.size() > hoechstens)
        return std::nullopt;
    qint64 wert = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        wert = wert * 10 + (c.unicode() - u'0');
    }
    return wert;
}

} // namespace

std::optional<Abstand> abstandLesen(QStringView text)
{
    // Nine digits before and six after the separator keep every product of
    // Auswahl within 128 bits (see there).
    text = text.trimmed();
    if (!text.endsWith(u's', Qt::CaseInsensitive)) {
        const std::optional<qint64> n = ziffern(text, 9);
        if (!n || *n == 0)
            return std::nullopt;
        return Abstand{*n, 1, 1};
    }
    text = text.chopped(1).trimmed();
    qsizetype trenner = text.indexOf(u',');
    if (trenner < 0)
        trenner = text.indexOf(u'.');
    const QStringView ganz = trenner < 0 ? text : text.first(trenner);
    const QStringView bruch = trenner < 0 ? QStringView() : text.sliced(trenner + 1);
    const std::optional<qint64> g = ziffern(ganz, 9);
    const std::optional<qint64> b = trenner < 0 ? qint64(0) : ziffern(bruch, 6);
    if (!g || !b)
        return std::nullopt;
    qint64 nenner = 1;
    for (qsizetype i = 0; i < bruch.size(); ++i)
        nenner *= 10;
    const qint64 zaehler = *g * nenner + *b;
    if (zaehler == 0)
        return std::nullopt;
    return Abstand{0, zaehler, nenner};
}

bool Auswahl::operator()(qint64 nummer, const Zeit& zeit)
{
    if (m_abstand.bilder > 0)
        return nummer % m_abstand.bilder == 0;
    // The stretch the frame lies in, floor(t / T) with t = ticks · z / n
    // and T = Z / N, in integers: at most 2^63 · 2^31 · 10^6 above the line.
    const Gross abschnitt = Gross(zeit.ticks) * zeit.zaehler * m_abstand.nenner /
                            (Gross(zeit.nenner) * m_abstand.zaehler);
    const bool gewaehlt = !m_abschnittVorher || abschnitt > *m_abschnittVorher;
    m_abschnittVorher = abschnitt;
    return gewaehlt;
}

} // namespace schnitt::video
