#pragma once

#include "views/Schneider.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace cli {

// The record of the views one run wrote, as CSV (RFC 4180: a field holding a
// comma, a quote, CR or LF stands in quotes, a quote in it doubled; UTF-8;
// a header line; LF line ends, which sort, awk and diff expect and CSV
// readers take as well). One row per view:
//   Ansicht  its path in the output folder ('/' between folders)
//   Bild     the picture's path as given
//   Richtung the direction's letter
//   Left, Top, Width, Height  the rectangle used
//   Bytes    the view file's size
//   SHA256   its SHA-256, lower-case hex, as sha256sum prints it
//   Aufnahme the capture time, ISO 8601 with sub-seconds and offset where known
//   Breitengrad, Laengengrad  the picture's GPS position in decimal degrees
//   Blickrichtung  the view's heading, degrees from north
// The last four are empty where the picture does not tell.
// The view path stands first and the rows are in the byte order of their
// lines, which is what `LC_ALL=C sort` gives: the parts of a run joined and
// sorted again equal the manifest of one run. A row with a line break in a
// name spans two lines, which sort cannot keep together.
class Manifest final
{
public:
    explicit Manifest(const QString& zielOrdner);

    void aufnehmen(const QString& bild, const schnitt::Bildschnitt& schnitt,
                   const schnitt::Ansichtsdatei& ansicht);
    // Writes the file in one replacement, so that it is either the old file
    // or the whole new one. On failure returns false with the German reason.
    bool schreiben(const QString& pfad, QString* grund);

private:
    QString m_zielOrdner;
    QString m_vorsatz; // what the engine's paths start with inside the output folder
    QList<QByteArray> m_zeilen;
};

} // namespace cli
