#pragma once

#include <QList>
#include <QString>

#include <optional>

// The staging folder of an update: everything the server sends lands there
// first and reaches its place only when all of it has been checked.
namespace update {

inline constexpr auto stufenName = u".update-stufe";

// An empty staging folder inside the program folder; whatever an earlier,
// broken-off update left there is removed first. Nothing, with a German
// reason, when it cannot be made.
std::optional<QString> stufeAnlegen(const QString& programmordner, QString* fehler = nullptr);

// Removes the staging folder with everything in it.
void stufeEntfernen(const QString& stufe);

struct Platzierung
{
    QString quelle; // in the staging folder
    QString ziel;   // in the program folder
};

// Moves every file to its place, making missing folders. A file already at a
// place is first set aside in `stufe`. When one step fails, every file moved
// so far is taken back, the set-aside files return and the folders made are
// removed, so the program folder is as before; false, with a German reason.
bool allePlatzieren(const QList<Platzierung>& plan, const QString& stufe,
                    QString* fehler = nullptr);

} // namespace update
