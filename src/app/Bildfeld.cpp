#include "Bildfeld.h"

#include <QEvent>
#include <QPainter>

Bildfeld::Bildfeld(QWidget* parent)
    : QFrame(parent)
    , m_flaeche(new QWidget(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(Rand);
    m_flaeche->setObjectName(QStringLiteral("flaeche"));
    m_flaeche->installEventFilter(this);
    m_flaeche->move(Rand, Rand);
}

void Bildfeld::setzeBild(const QImage& bild, QSize bildGroesse)
{
    m_bild = bild;
    if (m_autoSize && bildGroesse.isValid())
        resize(bildGroesse.width() + 2 * Rand, bildGroesse.height() + 2 * Rand);
    m_flaeche->update();
}

void Bildfeld::zeichneGestreckt(const QImage& bild)
{
    // Scaled once here, so that repaints do not scale again.
    m_bild =
        bild.scaled(innenBreite(), innenHoehe(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_flaeche->update();
}

void Bildfeld::leeren()
{
    m_bild = QImage();
    m_flaeche->update();
}

void Bildfeld::resizeEvent(QResizeEvent* ereignis)
{
    QFrame::resizeEvent(ereignis);
    m_flaeche->setGeometry(Rand, Rand, qMax(0, innenBreite()), qMax(0, innenHoehe()));
}

bool Bildfeld::eventFilter(QObject* objekt, QEvent* ereignis)
{
    if (objekt == m_flaeche && ereignis->type() == QEvent::Paint && !m_bild.isNull()) {
        QPainter maler(m_flaeche);
        maler.drawImage(0, 0, m_bild);
    }
    return QFrame::eventFilter(objekt, ereignis);
}
