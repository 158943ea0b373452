#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <QWidget>

// The frames and panorama views of other slots, drawn dashed over the
// preview to compare them with the selected slot's red ones. Only drawn:
// the mouse goes through it to the frames beneath.
class Vergleichsfeld final : public QWidget
{
    Q_OBJECT

public:
    struct Form
    {
        QList<QPolygonF> teile; // in this widget's pixels; a view across the seam has two
        QPointF mitte;          // where its text stands
        QString text;           // "2: Vorwärts"
        QColor farbe;
    };

    explicit Vergleichsfeld(QWidget* parent);

    void setzeFormen(QList<Form> formen);
    const QList<Form>& formen() const { return m_formen; }

    // The colour of a slot's outlines: never the selected slot's red.
    static QColor farbe(int slot);

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;

private:
    QList<Form> m_formen;
};
