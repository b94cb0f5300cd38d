#pragma once

#include <QScrollBar>

// The slim vertical scroller of the playlist: a 5-point grey knob with rounded ends and no
// track, whatever the style would make of a scroll bar. Dragging the knob scrolls; a press
// beside it brings the knob there.
class PHScroller : public QScrollBar
{
    Q_OBJECT

public:
    explicit PHScroller(QWidget* parent = nullptr);

    // The width the scroller takes beside the content, the same for every control size.
    static qreal scrollerWidth() { return 5.0; }

    // The knob as drawn; empty while there is nothing to scroll.
    QRectF knobRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The knob part as a full-width scroll bar would place it.
    QRectF baseKnobRect() const;
    int valueForKnobTop(qreal top) const;

    qreal m_grabOffset = 0;
};
