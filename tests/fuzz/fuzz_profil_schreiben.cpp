// Setting a value in any existing bytes, then reading it back.
//
// Property: for a section name without CR, LF and ']' and a key without CR,
// LF and '=' that does not start with ';' or '[' (both Windows-1252 text
// without blanks around them, as every caller passes them), and any value
// without CR and LF, lesenAus(mitWert(inhalt, s, k, w), s, k) gives w as the
// file keeps it: in a Windows-1252 file characters outside it become '?'
// (a UTF-8 file keeps them), blanks around it
// are dropped, one pair of matching quotes around it is dropped, and at most
// 254 characters come back. Every other key of every section reads as before,
// and setting the same value twice changes nothing more.

#include "Fuzzhilfen.h"

#include "config/Cp1252.h"
#include "config/Profil.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString ohne(QString s, QStringView zeichen)
{
    for (QChar c : zeichen)
        s.remove(c);
    return s;
}

QString wieGelesen(const QString& geschrieben, profildatei::Kodierung art)
{
    QString w = fuzz::ohneBlanks(art == profildatei::Kodierung::Utf8
                                     ? geschrieben
                                     : cp1252::dekodieren(cp1252::kodieren(geschrieben)));
    if (w.size() >= 2 && (w.front() == u'"' || w.front() == u'\'') && w.back() == w.front())
        w = w.sliced(1, w.size() - 2);
    return w.left(profildatei::Puffergroesse - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse)
{
    FuzzedDataProvider eingabe(daten, groesse);
    const QString sektion =
        fuzz::ohneBlanks(ohne(cp1252::dekodieren(eingabe.ConsumeRandomLengthString(40)), u"\r\n]"));
    QString schluessel =
        fuzz::ohneBlanks(ohne(cp1252::dekodieren(eingabe.ConsumeRandomLengthString(40)), u"\r\n="));
    if (schluessel.startsWith(u';') || schluessel.startsWith(u'['))
        schluessel.prepend(u'k');
    const QString wert =
        ohne(QString::fromUtf8(fuzz::bytes(eingabe.ConsumeRandomLengthString(400))), u"\r\n");
    const QByteArray alt = fuzz::bytes(eingabe.ConsumeRemainingBytesAsString());

    const QByteArray neu = profildatei::mitWert(alt, sektion, schluessel, wert);
    // Written in the file's own encoding. Only a value whose Windows-1252
    // bytes happen to form UTF-8 can turn a file without other non-ASCII
    // bytes into one that reads as UTF-8; no value the program writes does.
    const profildatei::Kodierung art = profildatei::kodierungVon(alt);
    if (profildatei::kodierungVon(neu) != art)
        return 0;
    PRUEFEN(profildatei::lesenAus(neu, sektion, schluessel) == wieGelesen(wert, art));
    PRUEFEN(profildatei::mitWert(neu, sektion, schluessel, wert) == neu);

    QList<QByteArray> andere = fuzz::namenIn(alt, 8);
    for (const QByteArray& roh : andere) {
        const QString s = cp1252::dekodieren(roh);
        const QString liste = profildatei::lesenAus(alt, s, QString());
        for (const QString& k : liste.split(QChar(u'\0'), Qt::SkipEmptyParts)) {
            if (s.compare(sektion, Qt::CaseInsensitive) == 0 &&
                k.compare(schluessel, Qt::CaseInsensitive) == 0)
                continue;
            PRUEFEN(profildatei::lesenAus(neu, s, k) == profildatei::lesenAus(alt, s, k));
        }
    }
    return 0;
}
