// Any bytes as a profile file, read with any section and key: no crash, and
// no answer larger than the reader's buffer.

#include "Fuzzhilfen.h"

#include "config/Cp1252.h"
#include "config/Profil.h"

#include <fuzzer/FuzzedDataProvider.h>

using profildatei::Puffergroesse;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    FuzzedDataProvider eingabe(daten, groesse);
    QList<QByteArray> sektionen{fuzz::bytes(eingabe.ConsumeRandomLengthString(64))};
    const QString eigenerSchluessel = cp1252::dekodieren(eingabe.ConsumeRandomLengthString(64));
    const QByteArray inhalt = fuzz::bytes(eingabe.ConsumeRemainingBytesAsString());
    sektionen += fuzz::namenIn(inhalt, 8);

    for (const QByteArray& roh : sektionen) {
        const QString sektion = cp1252::dekodieren(roh);
        const QString liste = profildatei::lesenAus(inhalt, sektion, QString());
        // The list and its closing zero fit the buffer.
        PRUEFEN(liste.size() <= Puffergroesse - 1);
        PRUEFEN(liste.isEmpty() || liste.back() == QChar(u'\0') ||
                liste.size() == Puffergroesse - 2);

        QStringList schluessel = liste.split(QChar(u'\0'), Qt::SkipEmptyParts);
        schluessel.append(eigenerSchluessel);
        for (const QString& s : schluessel) {
            const QString wert = profildatei::lesenAus(inhalt, sektion, s);
            PRUEFEN(wert.size() <= Puffergroesse - 1);
            // A value never reaches past its own line.
            PRUEFEN(!wert.contains(u'\r') && !wert.contains(u'\n'));
            // A key with a value belongs to a section that lists keys.
            PRUEFEN(wert.isEmpty() || !liste.isEmpty());
        }
    }
    return 0;
}
