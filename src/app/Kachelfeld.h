#pragma once

#include "views/Blatt.h"

#include <QWidget>

#include <functional>

// The overview's grid: draws the cells the sheet draws, as many columns as
// its width takes, and reports which cell is clicked.
class Kachelfeld final : public QWidget
{
public:
    using Kachelquelle = std::function<const schnitt::Kachel*(int i)>;

    Kachelfeld(Kachelquelle quelle, std::function<void(int i)> geklickt, QWidget* parent = nullptr);

    // Lays the cells out anew for `anzahl` tiles of that box size within `breite`.
    void anordnen(int anzahl, int kachelbreite, int kachelhoehe, int breite);
    // Cell `i` is drawn again.
    void zelleNeu(int i);
    const schnitt::Blattlayout& layout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;

private:
    Kachelquelle m_quelle;
    std::function<void(int)> m_geklickt;
    schnitt::Blattlayout m_layout;
    int m_anzahl = 0;
};
