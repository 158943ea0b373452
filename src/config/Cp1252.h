#pragma once

#include <QByteArray>
#include <QString>

// Profile files are 8-bit Windows-1252 on disk, so that files written on a
// German Windows system ("Vorwärts" as the byte E4) read the same here.
namespace cp1252 {

QString dekodieren(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold become '?', as the Windows
// conversion does.
QByteArray kodieren(QStringView text);

} // namespace cp1252
