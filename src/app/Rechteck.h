#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle of the update window. Its width is kept in the window's
// user unit, in which the progress track is 100 units wide, and stored as
// float like the widths the progress arithmetic adds up; pixels are derived
// from it only for painting.
class Rechteck final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float breite READ breite WRITE setzeBreite)

public:
    // One horizontal user unit of the update window in twips, and in pixels
    // at 15 twips per pixel.
    static constexpr double twipsProEinheit = 65.14296;
    static constexpr double pixelProEinheit = twipsProEinheit / 15.0;

    Rechteck(const QColor& fuellung, QWidget* parent = nullptr);

    float breite() const { return m_breite; }
    void setzeBreite(float breite);
    QColor fuellung() const { return m_fuellung; }

protected:
    void paintEvent(QPaintEvent* ereignis) override;

private:
    QColor m_fuellung;
    float m_breite = 0.0f;
};
