#pragma once

#include "Schneider.h"
#include "Stapel.h"

#include <QList>
#include <QStringList>

#include <functional>

// Whether a frame configuration fits a set of pictures, judged from their
// headers alone, before anything is cut: the check of `--pruefen` and of
// "Alle ausschneiden".
namespace schnitt {

struct Pruefung
{
    int gesamt = 0;
    int passen = 0;
    int passenNicht = 0;
    int unlesbar = 0;

    bool allesPasst() const { return passen == gesamt; }
    // "Geprüft: 3 Bilder, 1 passt, 1 passt nicht, 1 nicht lesbar"
    QString summe() const;
};

// Checks each picture of `bilder` against `plan`: a frame (scaled and on the
// upright picture where the plan says so) that does not lie wholly inside the
// picture, a picture whose size differs from the reference size while frames
// are not scaled, a picture whose views would be named like those of one
// before it, and one whose header cannot be read. `melden` gets each
// picture's lines in order, on the calling thread.
struct Bildbefund
{
    QString skaliert;      // the size the frames were scaled to, where they were
    QStringList befunde;   // what does not fit, one line each
    bool unlesbar = false; // the one line says the header cannot be read
};
Pruefung
rahmenPruefen(const QList<Stapelbild>& bilder, const Schnittplan& plan,
              const std::function<void(const Bildbefund& befund, int fertig, int gesamt)>& melden);

} // namespace schnitt
