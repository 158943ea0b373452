#pragma once

#include "config/FrameKonfig.h"
#include "config/FrameRechteck.h"

#include <QImage>
#include <QRect>
#include <QSize>

// Where a frame of the file lies in a given picture: scaled to the picture's
// size, and in pictures stored turned on their side.
namespace schnitt {

// The rectangle in pixels of a picture of `bild` (upright) size. With
// Anpassen=skalieren each edge is scaled on its own, rounded half away from
// zero, so that frames that adjoin in the file adjoin in every picture and
// nothing drifts; otherwise the file's rectangle as it is.
QRect wirksamesRechteck(const FrameRechteck& r, const frames::Vorlage& vorlage, QSize bild);

// The way back: a rectangle in pixels of a picture of `bild` size in the
// file's units (the reference size under skalieren), each edge rounded half
// away from zero and kept within 16 bits.
FrameRechteck inDateiEinheiten(const QRect& r, const frames::Vorlage& vorlage, QSize bild);

// EXIF orientation, 1 … 8: how the stored pixels must be turned to stand
// upright. 1 (and any unknown value) leaves them as they are.
QSize aufrecht(QSize gespeichert, int orientierung);

// The rectangle of the stored pixels that shows `r` of the upright picture.
QRect inGespeicherte(const QRect& r, QSize gespeichert, int orientierung);

// A view cut from the stored pixels, turned as the upright picture shows it.
QImage aufrichten(const QImage& gespeichert, int orientierung);

} // namespace schnitt
