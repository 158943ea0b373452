#pragma once

#include "config/FrameRechteck.h"

#include <QRect>
#include <QSize>

#include <utility>

namespace overlay {

// A frame's place in the preview, in preview pixels, before rounding.
struct Geometrie
{
    float top;
    float left;
    float width;
    float height;
};

// Source pixels per preview pixel across and down, as 32-bit floats.
std::pair<float, float> faktoren(QSize vollBild, QSize vollVorschau);

// Scales a rectangle of source pixels into the preview. The factors are the
// full sizes (frames included) of the full-size picture box and the preview,
// held as 32-bit floats: frames have always been placed with exactly this
// arithmetic, so it is kept rather than "improved".
Geometrie skaliert(const FrameRechteck& r, QSize vollBild, QSize vollVorschau);
// The same for a rectangle of the picture beyond 16 bits (frames scaled to a
// large picture).
Geometrie skaliert(const QRect& r, QSize vollBild, QSize vollVorschau);

// Whole pixels for a label. A negative width or height becomes 0, since a
// label cannot take a negative size.
QRect aufPixel(const Geometrie& g);

} // namespace overlay
