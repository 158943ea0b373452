#pragma once

#include "views/Panorama.h"

#include <QList>
#include <QPainter>
#include <QPolygonF>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

// The footprints of a panorama's views drawn over the preview: a transparent
// child covering the preview's drawing area, lying under the frame labels so
// that a rectangle direction of the same file keeps its own mouse. The
// panorama is drawn stretched over the whole area, so a picture point
// (x, y) lies at (x · width / W, y · height / H).
class Umrissfeld final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Anzahl = 4; // one place per direction, in the order of `richtungen`

    struct Umriss
    {
        schnitt::panorama::Blick blick;
        QString text; // drawn at the view's centre
    };

    explicit Umrissfeld(QWidget* parent);

    // The views over a panorama of `quelle` pixels; empty places draw nothing.
    void setzeUmrisse(QSize quelle, const std::array<std::optional<Umriss>, Anzahl>& umrisse);
    // One view while it is dragged, without touching the others.
    void setzeUmriss(int index, const Umriss& umriss);
    // The one the arrow keys change, drawn thicker; -1 for none.
    void setzeAktiv(int index);

    QSize quelle() const { return m_quelle; }
    bool zeichnet(int index) const { return index >= 0 && index < Anzahl && m_umrisse[index]; }
    bool leer() const;

    // The place whose footprint holds `punkt` (in this widget's pixels),
    // the one drawn in front first; -1 for none.
    int blickBei(QPointF punkt) const;
    // Picture pixels per pixel of this widget, across and down.
    QPointF massstab() const;
    // The footprint of a place as drawn, in this widget's pixels.
    QList<QPolygonF> polygone(int index) const;

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;

private:
    QSize m_quelle;
    std::array<std::optional<Umriss>, Anzahl> m_umrisse;
    int m_aktiv = -1;
};

// A name over the preview, as the views' and the compared frames' names are
// drawn: in `farbe` with a light rim, centred on `mitte` but inside `flaeche`.
void namenZeichnen(QPainter& maler, const QRect& flaeche, QPointF mitte, const QString& text,
                   const QColor& farbe);
