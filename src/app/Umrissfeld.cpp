#include "Umrissfeld.h"

#include "config/FrameRechteck.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QColor Rot(255, 0, 0); // the frames' colour
constexpr qreal Linie = 2, AktiveLinie = 3;
constexpr qreal Rand = 3; // between a name and the preview's edge

int platz(Richtung r)
{
    return static_cast<int>(r);
}

} // namespace

Umrissfeld::Umrissfeld(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Umrissfeld"));
    setMouseTracking(true); // the cursor shows where a drag would take a view
    // The drawing area is sized late, when its box is laid out; follow it.
    parent->installEventFilter(this);
    setGeometry(parent->rect());
}

void Umrissfeld::setzeUmrisse(QSize quelle,
                              const std::array<std::optional<Umriss>, Anzahl>& umrisse)
{
    m_quelle = quelle;
    m_umrisse = umrisse;
    update();
}

void Umrissfeld::setzeUmriss(int index, const Umriss& umriss)
{
    if (index < 0 || index >= Anzahl)
        return;
    m_umrisse[index] = umriss;
    update();
}

void Umrissfeld::setzeAktiv(int index)
{
    m_aktiv = index;
    update();
}

bool Umrissfeld::leer() const
{
    return std::none_of(m_umrisse.begin(), m_umrisse.end(), [](const auto& u) { return bool(u); });
}

QPointF Umrissfeld::massstab() const
{
    if (width() <= 0 || height() <= 0)
        return {1, 1};
    return {double(m_quelle.width()) / width(), double(m_quelle.height()) / height()};
}

int Umrissfeld::blickBei(QPointF punkt) const
{
    const QPointF m = massstab();
    const QPointF bildpunkt(punkt.x() * m.x(), punkt.y() * m.y());
    // The one drawn last lies in front and is taken first.
    for (auto r = overlayReihenfolge.rbegin(); r != overlayReihenfolge.rend(); ++r) {
        const auto& u = m_umrisse[platz(*r)];
        if (u && schnitt::panorama::enthaelt(m_quelle, u->blick, bildpunkt))
            return platz(*r);
    }
    return -1;
}

QList<QPolygonF> Umrissfeld::polygone(int index) const
{
    if (index < 0 || index >= Anzahl || !m_umrisse[index])
        return {};
    const QPointF m = massstab();
    QList<QPolygonF> teile = schnitt::panorama::umriss(m_quelle, m_umrisse[index]->blick);
    for (QPolygonF& teil : teile)
        for (QPointF& p : teil)
            p = QPointF(p.x() / m.x(), p.y() / m.y());
    return teile;
}

bool Umrissfeld::eventFilter(QObject* objekt, QEvent* ereignis)
{
    if (objekt == parent() && ereignis->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(objekt, ereignis);
}

void Umrissfeld::paintEvent(QPaintEvent*)
{
    QPainter maler(this);
    maler.setRenderHint(QPainter::Antialiasing);
    const QPointF m = massstab();
    for (Richtung r : overlayReihenfolge) {
        const int i = platz(r);
        if (!m_umrisse[i])
            continue;
        QPen stift(Rot, i == m_aktiv ? AktiveLinie : Linie);
        maler.setPen(stift);
        maler.setBrush(Qt::NoBrush);
        for (const QPolygonF& teil : polygone(i))
            maler.drawPolygon(teil);

        const QPointF mitte = schnitt::panorama::mitte(m_quelle, m_umrisse[i]->blick);
        namenZeichnen(maler, rect(), QPointF(mitte.x() / m.x(), mitte.y() / m.y()),
                      m_umrisse[i]->text, Rot);
    }
}

void namenZeichnen(QPainter& maler, const QRect& flaeche, QPointF mitte, const QString& text,
                   const QColor& farbe)
{
    // Centred on `mitte`, kept inside the preview; a light rim keeps it
    // readable on any part of a photograph.
    QRectF feld = maler.fontMetrics().boundingRect(flaeche, Qt::AlignCenter, text);
    feld.moveCenter(mitte);
    feld.moveLeft(
        std::clamp(feld.left(), Rand, std::max(Rand, flaeche.width() - Rand - feld.width())));
    feld.moveTop(
        std::clamp(feld.top(), Rand, std::max(Rand, flaeche.height() - Rand - feld.height())));
    maler.setPen(QColor(255, 255, 255, 200));
    for (const QPointF versatz : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        maler.drawText(feld.translated(versatz), Qt::AlignCenter, text);
    maler.setPen(farbe);
    maler.drawText(feld, Qt::AlignCenter, text);
}
