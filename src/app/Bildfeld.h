#pragma once

#include <QFrame>
#include <QImage>

// A picture box: a framed container whose inner drawing area shows a picture
// and holds child controls. Children are placed in inner coordinates, with
// the origin inside the frame, and are clipped at the frame.
class Bildfeld final : public QFrame
{
    Q_OBJECT

public:
    // The frame is 2 pixels on every side; the cut relies on it taking up
    // exactly the 4 extra pixels of the work surface.
    static constexpr int Rand = 2;

    explicit Bildfeld(QWidget* parent = nullptr);

    // The inner drawing area, parent of the controls inside the box.
    QWidget* flaeche() const { return m_flaeche; }

    // With automatic sizing on, the box takes the picture's size plus its frame.
    void setAutoSize(bool an) { m_autoSize = an; }
    void setzeBild(const QImage& bild) { setzeBild(bild, bild.size()); }
    // `bildGroesse` is the size of the picture that `bild` stands for; an
    // automatically sized box takes it even when `bild` is a reduced copy.
    void setzeBild(const QImage& bild, QSize bildGroesse);
    // Shows a picture stretched over the whole drawing area; the aspect
    // ratio is deliberately not kept.
    void zeichneGestreckt(const QImage& bild);
    void leeren();
    const QImage& bild() const { return m_bild; }

    int innenBreite() const { return width() - 2 * Rand; }
    int innenHoehe() const { return height() - 2 * Rand; }

protected:
    void resizeEvent(QResizeEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    QWidget* m_flaeche;
    QImage m_bild;
    bool m_autoSize = false;
};
