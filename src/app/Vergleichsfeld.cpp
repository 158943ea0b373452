#include "Vergleichsfeld.h"

#include "Umrissfeld.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace {

constexpr qreal Linie = 2;

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

        namenZeichnen(maler, rect(), form.mitte, form.text, form.farbe);
    }
}
