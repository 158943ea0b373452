#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The benchmark's pictures, made here so that every run measures the same
// bytes: the same seed always gives the same file.
namespace korpus {

// An outdoor scene like a photograph: sky with clouds, hills, houses, trees,
// grass texture and sensor noise, so that JPEG files get the size and the
// decoding cost of real photographs instead of flat colour. Format_RGB32.
QImage szene(int breite, int hoehe, quint32 saat);

// The picture in 252 colours of a fixed colour cube with ordered dithering,
// as a GIF89a file with real LZW compression.
QByteArray alsGif(const QImage& bild);

struct Eintrag
{
    QString name;
    const char* format; // "JPEG", "BMP" or "GIF"
    int breite;
    int hoehe;
};

// The 100 pictures of the benchmark, in name order: 60 JPEG of 1140 × 855,
// 20 JPEG of 4000 × 3000, 10 BMP and 10 GIF of 1140 × 855, mixed so that
// the large ones are spread over the batch.
QList<Eintrag> inhalt();

// A JPEG of any size at quality 90, written row by row through libjpeg so
// that only one tile of scenes is ever held: szene tiles of 2000 × 1500,
// each with its own seed. Progressive when asked.
bool grossesJpeg(const QString& pfad, int breite, int hoehe, bool progressiv);

// Writes every picture of inhalt() into `ordner` (JPEG at quality 90).
// Returns false with a message on stderr when a file cannot be written.
bool erzeugen(const QString& ordner);

} // namespace korpus
