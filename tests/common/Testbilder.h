#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Real picture files for the tests, with content that varies from pixel to
// pixel, so that a crop shifted by one row or column cannot pass for right.
namespace testbilder {

// Smooth shading, fine texture and noise, like a photograph; the same seed
// gives the same picture. Format_RGB32.
QImage fotoaehnlich(int breite, int hoehe, quint32 saat);

// The picture in 256 colours (Format_Indexed8) from a fixed palette whose
// entry TransparenterIndex is magenta; a disc in the middle uses that entry.
inline constexpr int TransparenterIndex = 255;
QImage mitPalette(const QImage& bild, bool mitLoch);

// A GIF89a file of an Indexed8 picture. With `transparent` >= 0 that entry
// is marked transparent. Qt can read GIF but not write it, hence our own
// encoder.
QByteArray gifKodieren(const QImage& indiziert, int transparent = -1);

// The picture as Qt writes it in that format ("BMP", "JPEG").
QByteArray kodieren(const QImage& bild, const char* format, int qualitaet = -1);

// Headers that claim a picture of breite × hoehe pixels, with hardly any data.
QByteArray bmpKopf(quint32 breite, quint32 hoehe);
QByteArray gifKopf(quint16 breite, quint16 hoehe);
// A real JPEG whose frame header is changed to claim breite × hoehe.
QByteArray jpegMitGroesse(QByteArray jpeg, quint16 breite, quint16 hoehe);
// A real JPEG with an EXIF segment after its start marker that holds an
// orientation tag (1 … 8) and, behind it, `vorschau` (a thumbnail).
QByteArray jpegMitDrehung(const QByteArray& jpeg, quint16 drehung, const QByteArray& vorschau = {});

// Writes the bytes to ordner/name; returns the path, or "" on failure.
QString schreiben(const QString& ordner, const QString& name, const QByteArray& inhalt);
QByteArray lesen(const QString& pfad);

// "" when both pictures have the same size and pixels (compared as RGB32),
// else where and how they first differ.
QString ersterUnterschied(const QImage& ist, const QImage& soll);

// The names in a folder, sorted, with hidden files.
QStringList inhalt(const QString& ordner);

} // namespace testbilder
