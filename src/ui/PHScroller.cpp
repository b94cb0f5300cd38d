#include "ui/PHScroller.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr qreal knobWidth = 5.0;
constexpr qreal shortestKnob = 24.0;

// The system grey.
const QColor knobColour(142, 142, 147);

} // namespace

PHScroller::PHScroller(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

QSize PHScroller::sizeHint() const
{
    return QSize(static_cast<int>(scrollerWidth()), static_cast<int>(shortestKnob));
}

QSize PHScroller::minimumSizeHint() const
{
    return sizeHint();
}

QRectF PHScroller::baseKnobRect() const
{
    const qreal range = static_cast<qreal>(maximum()) - minimum();
    if (range <= 0) {
        return {};
    }
    const qreal span = height();
    const qreal length = qBound(qMin(shortestKnob, span), span * pageStep() / (range + pageStep()), span);
    const qreal top = (span - length) * (sliderPosition() - minimum()) / range;
    return QRectF(0, top, width(), length);
}

QRectF PHScroller::knobRect() const
{
    const QRectF base = baseKnobRect();
    if (base.isEmpty()) {
        return {};
    }
    // The knob stands in the middle of a wider scroller, one point in from the base knob's
    // edge otherwise, and never past the scroller's right edge.
    const qreal middle = static_cast<float>((base.width() - knobWidth) * 0.5);
    qreal x = base.x() < middle ? middle : base.x() + 1;
    x = qMin(x, width() - knobWidth);
    return QRectF(x, base.y(), knobWidth, base.height());
}

void PHScroller::paintEvent(QPaintEvent*)
{
    const QRectF knob = knobRect();
    if (knob.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath fill;
    fill.addRoundedRect(knob, 3, 3);
    painter.fillPath(fill, knobColour);
    QPainterPath outline;
    outline.addRoundedRect(knob, 5, 5);
    painter.strokePath(outline, QPen(knobColour, 1));
}

int PHScroller::valueForKnobTop(qreal top) const
{
    const QRectF knob = baseKnobRect();
    const qreal travel = height() - knob.height();
    if (travel <= 0) {
        return minimum();
    }
    const qreal fraction = qBound(0.0, top / travel, 1.0);
    return minimum() + static_cast<int>(std::lround(fraction * (static_cast<qreal>(maximum()) - minimum())));
}

void PHScroller::mousePressEvent(QMouseEvent* event)
{
    const QRectF knob = baseKnobRect();
    if (event->button() != Qt::LeftButton || knob.isEmpty()) {
        event->ignore();
        return;
    }
    const qreal y = event->position().y();
    m_grabOffset = (y >= knob.top() && y <= knob.bottom()) ? y - knob.top() : knob.height() / 2;
    setSliderDown(true);
    setSliderPosition(valueForKnobTop(y - m_grabOffset));
    event->accept();
}

void PHScroller::mouseMoveEvent(QMouseEvent* event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(valueForKnobTop(event->position().y() - m_grabOffset));
    event->accept();
}

void PHScroller::mouseReleaseEvent(QMouseEvent* event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderDown(false);
    event->accept();
}
