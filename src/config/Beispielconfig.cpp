#include "Beispielconfig.h"

#include "Profil.h"

namespace beispiel {

bool schreiben(const QString& pfad, QString* fehler)
{
    return profildatei::aendern(
        pfad,
        [](QByteArray inhalt) {
            for (const Wert& w : werte)
                inhalt = profildatei::mitWert(inhalt, QString::fromUtf16(w.sektion),
                                              QString::fromUtf16(w.schluessel),
                                              QString::fromUtf16(w.wert));
            return inhalt;
        },
        fehler);
}

} // namespace beispiel
