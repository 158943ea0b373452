#pragma once

#include "views/Stapel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// The bytes of a picture list: the file at `pfad`, or standard input for
// "-". On failure returns nothing and puts one German line saying why into
// `fehler`.
std::optional<QByteArray> listeLesen(const QString& pfad, QString* fehler);

// The paths of a list, one per line or, `nullGetrennt`, separated by NUL
// bytes as find -print0 writes them. Empty entries are dropped; in a list of
// lines so is a CR before the line break, as an editor on Windows saves it,
// which leaves names with line breaks or a CR at their end to --null.
QStringList listeZerlegen(const QByteArray& inhalt, bool nullGetrennt);

// Where a listed picture is read from and where its views go: its folder
// part below the output folder, as --rekursiv places them, so that equal
// names in different folders never clash. The path is taken by its text
// alone, never by what a link in it points to: empty and "." segments are
// dropped (find . writes "./fotos/a.jpg"), an absolute path keeps its
// folders without the root ("/srv/a.jpg" → "srv/a_V.bmp"). Nothing for a
// path with a ".." segment, whose views could land outside the output folder.
std::optional<schnitt::Stapelbild> listenbild(const QString& pfad);

} // namespace cli
