#include "FrameKonfig.h"

#include "Profil.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace frames {

std::optional<qint16> zahlLesen(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const double zahl = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(zahl))
        return std::nullopt;
    // nearbyint rounds in the current mode, which is to-nearest-even: 150.5
    // becomes 150 and 151.5 becomes 152, as the files have always been read.
    const int alt = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double gerundet = std::nearbyint(zahl);
    std::fesetround(alt);
    if (gerundet < std::numeric_limits<qint16>::min() ||
        gerundet > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(gerundet);
}

std::array<FrameRechteck, 4> laden(const QString& pfad)
{
    std::array<FrameRechteck, 4> ergebnis{};
    for (size_t r = 0; r < richtungen.size(); ++r) {
        const QString sektion = QString::fromUtf16(richtungen[r].name);
        qint16* felder[] = {&ergebnis[r].top, &ergebnis[r].left, &ergebnis[r].width,
                            &ergebnis[r].height};
        for (size_t k = 0; k < schluessel.size(); ++k) {
            // Each value is read on its own, so one bad value spoils only itself.
            const QString text =
                profildatei::lesen(pfad, sektion, QString::fromUtf16(schluessel[k]));
            *felder[k] = zahlLesen(text).value_or(0);
        }
    }
    return ergebnis;
}

bool rechteckSchreiben(const QString& pfad, Richtung richtung, const FrameRechteck& rechteck,
                       QString* fehler)
{
    const QString sektion = QString::fromUtf16(info(richtung).name);
    const std::array<qint16, 4> werte = {rechteck.top, rechteck.left, rechteck.width,
                                         rechteck.height};
    return profildatei::aendern(
        pfad,
        [&](QByteArray inhalt) {
            for (size_t i = 0; i < werte.size(); ++i)
                inhalt = profildatei::mitWert(inhalt, sektion, QString::fromUtf16(schluessel[i]),
                                              QString::number(werte[i]));
            return inhalt;
        },
        fehler);
}

} // namespace frames
