#pragma once

#include "Kacheln.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

// The overview's sheet: tiles in rows, each with its picture's name below.
// The window draws its grid with the same functions, so a saved sheet and
// the one of the command line are the same pixels.
namespace schnitt {

// The sheet's ground, around and between the tiles.
inline QColor blattfarbe()
{
    return {236, 236, 236};
}

struct Blattlayout
{
    int spalten = 1;
    int kachelbreite = 0;
    int kachelhoehe = 0;

    static constexpr int Rand = 8;
    static constexpr int Abstand = 8;
    static constexpr int Namenshoehe = 16;

    // Where cell `i` lies: the tile's box, the name's line below it.
    QRect zelle(int i) const;
    QRect kachelbox(int i) const;
    QSize groesse(int anzahl) const;
    // The cell under `punkt`, or -1.
    int zelleAn(QPoint punkt, int anzahl) const;

    // As many columns as fit into `breite` pixels.
    static Blattlayout fuerBreite(int breite, int kachelbreite, int kachelhoehe);
    // The saved sheet's: about as many rows as columns make it square.
    static Blattlayout fuerAnzahl(int anzahl, int kachelbreite, int kachelhoehe);
};

// Draws cell `i`; a tile not made yet (null) is an empty grey box.
void zelleZeichnen(QPainter& maler, const Blattlayout& layout, int i, const Kachel* kachel);

// The whole sheet of `kacheln` at the layout fuerAnzahl gives; where a tile
// is missing (nullptr) its box stays grey. Format_RGB32.
QImage blattZeichnen(const QList<const Kachel*>& kacheln, int kachelbreite, int kachelhoehe);
QImage blattZeichnen(const QList<Kachel>& kacheln, int kachelbreite, int kachelhoehe);

// Writes the sheet as PNG, whole or not at all; false with the German error
// line in `fehlerzeile` otherwise.
bool blattSpeichern(const QImage& blatt, const QString& pfad, QString* fehlerzeile);

} // namespace schnitt
