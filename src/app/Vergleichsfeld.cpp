#include "Vergleichsfeld.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace {

constexpr qreal Linie = 2;
constexpr qreal Rand = 3; // between a text and the preview's edge

} // namespace

Vergleichsfeld::Vergleichsfeld(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Vergleichsfeld"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The drawing area is sized late, when its box is laid out; follow it.
    parent->installEventFilter(this);
    setGeometry(parent->rect());
}

QColor Vergleichsfeld::farbe(int slot)
{
    // Apart from red and from each other, and readable on photographs; slot
    // 2, the one most often compared with slot 1, in blue.
    static const std::array<QColor, 5> farben = {QColor(255, 140, 0), QColor(0, 180, 200),
                                                 QColor(0, 90, 255), QColor(0, 170, 0),
                                                 QColor(210, 0, 210)};
    return farben[size_t(std::max(slot, 0)) % farben.size()];
}

void Vergleichsfeld::setzeFormen(QList<Form> formen)
{
    m_formen = std::move(formen);
    update();
}

bool Vergleichsfeld::eventFilter(QObject* objekt, QEvent* ereignis)
{
    if (objekt == parent() && ereignis->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(objekt, ereignis);
}

void Vergleichsfeld::paintEvent(QPaintEvent*)
{
    QPainter maler(this);
    maler.setRenderHint(QPainter::Antialiasing);
    for (const Form& form : m_formen) {
        QPen stift(form.farbe, Linie, Qt::DashLine);
        maler.setPen(stift);
        maler.setBrush(Qt::NoBrush);
        for (const QPolygonF& teil : form.teile)
            maler.drawPolygon(teil);

        // As the frames' names: kept inside the preview, with a light rim.
        QRectF feld = maler.fontMetrics().boundingRect(rect(), Qt::AlignCenter, form.text);
        feld.moveCenter(form.mitte);
        feld.moveLeft(std::clamp(feld.left(), Rand, std::max(Rand, width() - Rand - feld.width())));
        feld.moveTop(std::clamp(feld.top(), Rand, std::max(Rand, height() - Rand - feld.height())));
        maler.setPen(QColor(255, 255, 255, 200));
        for (const QPointF versatz : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            maler.drawText(feld.translated(versatz), Qt::AlignCenter, form.text);
        maler.setPen(form.farbe);
        maler.drawText(feld, Qt::AlignCenter, form.text);
    }
}
