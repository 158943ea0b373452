#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// Windows profile (INI) files, read and written the way the Windows profile
// functions do it, so that files from Windows installations keep working:
// section and key names match without regard to case, blanks around names
// and values are dropped, a value in matching quotes loses its quotes, lines
// starting with ';' are comments. The text is Windows-1252 on disk, as on
// Windows, unless the file is UTF-8 as Linux editors save it: one that starts
// with a UTF-8 byte order mark, or holds non-ASCII bytes that are all valid
// UTF-8. A file keeps its encoding when it is written.
namespace profildatei {

enum class Kodierung { Cp1252, Utf8 };
Kodierung kodierungVon(QByteArrayView inhalt);
// The whole file as text, decoded as its encoding says, without a byte order mark.
QString textAus(QByteArrayView inhalt);

enum class Zeilenart { Leer, Kommentar, Sektion, Eintrag };
// One line as the reading functions see it.
struct Zeileninhalt
{
    Zeilenart art = Zeilenart::Leer;
    QString name; // section or key name
    QString wert;
    QString wertOhneKommentar; // the value up to a " ;" where it is not quoted
};
// Every line of a file, in order: line n of an editor is element n - 1
// (CR LF, LF and a lone CR each end a line).
std::vector<Zeileninhalt> zeilenDeuten(QByteArrayView inhalt);

// Whether a value ends at an unquoted " ;" (blank, then a semicolon). The
// Windows functions read it into the value; for a number or a keyword it can
// only be a comment a user wrote after it, as INI examples do.
enum class Kommentar { gehoertZumWert, abschneiden };

// A read hands back what fits into a 255-character buffer including its
// terminating zero; callers rely on the cut-off points below.
inline constexpr qsizetype Puffergroesse = 255;

// The value of `eintrag` in `sektion`, at most 254 characters, or "" when the
// file, the section or the key is missing. A null `eintrag` (QString(), not
// "") lists the section's key names instead, each followed by a NUL; a list
// too long for the buffer is cut to 253 characters.
QString lesen(const QString& pfad, const QString& sektion, const QString& eintrag);
QString lesenAus(QByteArrayView inhalt, const QString& sektion, const QString& eintrag,
                 Kommentar kommentar = Kommentar::gehoertZumWert);

// The file content with `eintrag` of `sektion` set to `wert`: an existing key
// changes in place, a missing key is added at the end of its section, a
// missing section at the end of the file. Every other byte stays as it was.
QByteArray mitWert(QByteArrayView inhalt, const QString& sektion, const QString& eintrag,
                   const QString& wert);

// Rewrites the file at `pfad` (empty content when it is missing) through
// `aenderung`. The new content is written beside the file and replaces it in
// one step, so a failed write leaves the old file whole; a read-only file is
// left alone, as on Windows. On failure returns false and puts a German
// reason naming the file into `fehler`.
bool aendern(const QString& pfad, const std::function<QByteArray(QByteArray)>& aenderung,
             QString* fehler = nullptr);

// True for a file or folder that must not be written: one without any write
// permission bit, or one this user cannot write.
bool schreibgeschuetzt(const QString& pfad);

// Sets one value in the file at `pfad`, creating the file when it is missing.
bool schreiben(const QString& pfad, const QString& sektion, const QString& eintrag,
               const QString& wert, QString* fehler = nullptr);

} // namespace profildatei
