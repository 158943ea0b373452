#include "Overlay.h"

#include <cmath>

namespace overlay {

std::pair<float, float> faktoren(QSize vollBild, QSize vollVorschau)
{
    return {static_cast<float>(static_cast<double>(vollBild.width()) /
                               static_cast<double>(vollVorschau.width())),
            static_cast<float>(static_cast<double>(vollBild.height()) /
                               static_cast<double>(vollVorschau.height()))};
}

Geometrie skaliert(const FrameRechteck& r, QSize vollBild, QSize vollVorschau)
{
    return skaliert(QRect(r.left, r.top, r.width, r.height), vollBild, vollVorschau);
}

Geometrie skaliert(const QRect& r, QSize vollBild, QSize vollVorschau)
{
    const auto [fx, fy] = faktoren(vollBild, vollVorschau);
    return {static_cast<float>(r.top()) / fy, static_cast<float>(r.left()) / fx,
            static_cast<float>(r.width()) / fx, static_cast<float>(r.height()) / fy};
}

QRect aufPixel(const Geometrie& g)
{
    auto ganz = [](float v) { return std::isfinite(v) ? static_cast<int>(std::lround(v)) : 0; };
    return QRect(ganz(g.left), ganz(g.top), qMax(0, ganz(g.width)), qMax(0, ganz(g.height)));
}

} // namespace overlay
