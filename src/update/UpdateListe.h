#pragma once

#include <QList>
#include <QString>

#include <optional>

// The file list of an update: a profile file with the sections "Namen",
// "URL" and "Pfad", each holding the keys Datei1, Datei2, ... for the
// entries 1, 2, ...
namespace update {

struct ListenEintrag
{
    QString name; // bare file name; empty: nothing to fetch for this entry
    QString url;  // empty: this entry is the last one
    QString pfad; // folder below the program folder, Windows style ("\plugins\")
};

// The number of entries as servers have always had it counted: the keys of
// section "Namen", learnt from the profile reader's key list. -1 when the
// section is missing or empty; with keys Datei1, Datei2, ... never more than
// 32, because longer lists are cut by the reader's buffer.
qint16 anzahlEintraege(const QString& listenPfad);

ListenEintrag leseEintrag(const QString& listenPfad, int nummer);

// The entries one pass over the list reads: from entry 1 up to and including
// the first one without a URL.
QList<ListenEintrag> alleEintraege(const QString& listenPfad);

// A name that can only mean a file directly in its folder, on Windows as
// well as here: not empty, no separator of either kind, no drive or stream
// colon, no control character, not "." or "..". The list comes from the
// network and must not place files anywhere else.
bool istSchlichterDateiname(const QString& name);

// Where an entry with a folder value ends up. The folder is the program
// folder followed by the value, the file the folder followed by the name,
// joined as text; a backslash counts as a separator on every system.
struct Ablage
{
    QString ordner;
    QString datei;
};

// The place for `name` under the folder value `pfadWert`, or nothing when
// the value would lead outside the program folder (no leading separator, a
// ".." or "." step, a drive, a control character).
std::optional<Ablage> ablageFuer(const QString& programmordner, const QString& pfadWert,
                                 const QString& name);

// True when `pfad`, as far as it exists, stays inside the program folder
// also after following links, so that a write there cannot land outside.
bool bleibtImProgrammordner(const QString& programmordner, const QString& pfad);

} // namespace update
