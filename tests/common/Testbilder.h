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

// The picture as Qt writes it in that format ("BMP", "JPEG").
QByteArray kodieren(const QImage& bild, const char* format, int qualitaet = -1,
                    bool progressiv = false);

// Writes the bytes to ordner/name; returns the path, or "" on failure.
QString schreiben(const QString& ordner, const QString& name, const QByteArray& inhalt);
QByteArray lesen(const QString& pfad);
// A file of tests/data: pictures that Qt cannot write (GIF, restart markers,
// EXIF) and headers that claim sizes no real file has.
QByteArray testdatei(const QString& name);
QString testpfad(const QString& name);

// "" when both pictures have the same size and pixels (compared as RGB32),
// else where and how they first differ.
QString ersterUnterschied(const QImage& ist, const QImage& soll);

// The frames the ffmpeg command gives of a video through the filter `vf`
// ("select=…", "crop=…"), each of `groesse`, as RGB32.
QList<QImage> ffmpegBilder(const QString& pfad, const QString& vf, QSize groesse);
// The largest difference of a channel of two RGB32 pictures; 256 for
// pictures of other sizes or none.
int abweichung(const QImage& a, const QImage& b);

// The names in a folder, sorted, with hidden files.
QStringList inhalt(const QString& ordner);
// "" when both folders hold the same files with the same bytes (subfolders
// aside), else what differs.
QString ordnerUnterschied(const QString& ist, const QString& soll);

} // namespace testbilder
