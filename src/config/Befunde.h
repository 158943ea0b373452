#pragma once

#include <QString>
#include <QStringList>

// What a frame configuration file most likely says by mistake: a misspelt
// section or entry reads as missing, a value that is no number as 0, and
// nothing else would say so. The file is still read as it always was; these
// lines only point at what to mend.
namespace frames {

// One log line per finding, "config.ini, Zeile 7: …", in the order of the
// lines they name; none for a file without findings or one that cannot be
// read. `anzeige` is the name the lines start with.
QStringList befunde(const QString& pfad, const QString& anzeige);

// The number of single-letter insertions, deletions, changes and swaps of
// neighbours that turn `a` into `b`, without regard to case.
int tippAbstand(QStringView a, QStringView b);

} // namespace frames
