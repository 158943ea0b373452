#include "Rechteck.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

Rechteck::Rechteck(const QColor& fuellung, QWidget* parent)
    : QWidget(parent)
    , m_fuellung(fuellung)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Rechteck::setzeBreite(float breite)
{
    m_breite = breite;
    // More files done than counted runs the bar past the track; the window
    // edge clips it.
    const double pixel = std::max(0.0, static_cast<double>(breite) * pixelProEinheit);
    resize(static_cast<int>(std::lround(std::min(pixel, 100000.0))), height());
}

void Rechteck::paintEvent(QPaintEvent*)
{
    QPainter maler(this);
    maler.fillRect(rect(), m_fuellung);
}
