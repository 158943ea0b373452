#include "Kachelfeld.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

Kachelfeld::Kachelfeld(Kachelquelle quelle, std::function<void(int)> geklickt, QWidget* parent)
    : QWidget(parent)
    , m_quelle(std::move(quelle))
    , m_geklickt(std::move(geklickt))
{
    setObjectName(QStringLiteral("Kacheln"));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Kachelfeld::anordnen(int anzahl, int kachelbreite, int kachelhoehe, int breite)
{
    m_anzahl = anzahl;
    m_layout = schnitt::Blattlayout::fuerBreite(breite, kachelbreite, kachelhoehe);
    setFixedSize(breite, anzahl > 0 ? m_layout.groesse(anzahl).height() : 0);
    update();
}

void Kachelfeld::zelleNeu(int i)
{
    update(m_layout.zelle(i));
}

void Kachelfeld::paintEvent(QPaintEvent* ereignis)
{
    QPainter maler(this);
    maler.fillRect(ereignis->rect(), schnitt::blattfarbe());
    maler.setRenderHint(QPainter::TextAntialiasing);
    for (int i = 0; i < m_anzahl; ++i) {
        if (m_layout.zelle(i).intersects(ereignis->rect()))
            schnitt::zelleZeichnen(maler, m_layout, i, m_quelle(i));
    }
}

void Kachelfeld::mousePressEvent(QMouseEvent* ereignis)
{
    if (ereignis->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(ereignis);
    const int i = m_layout.zelleAn(ereignis->position().toPoint(), m_anzahl);
    if (i >= 0)
        m_geklickt(i);
}
