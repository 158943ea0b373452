#pragma once

#include <QString>

// The script "update.cmd" that the server supplies finishes an update once
// the program has ended. It lives in the program folder.
namespace update {

inline constexpr auto skriptName = u"update.cmd";

} // namespace update

// Start-up clean-up: deletes a leftover "update.cmd" of the last update when
// it is a normal file. A file that cannot be deleted is only reported on the
// debug output, so that the start-up goes on.
void entferneAltesUpdateSkript(const QString& programmordner);

namespace update {

// Starts "update.cmd" without waiting, with the program folder as working
// directory: on Windows through "cmd /c", minimized, elsewhere through
// "/bin/sh". False, with a German reason in `fehler`, when it did not start.
bool starteUpdateSkript(const QString& programmordner, QString* fehler = nullptr);

} // namespace update
