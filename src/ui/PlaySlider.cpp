#include "ui/PlaySlider.h"

#include "ui/Artwork.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qreal knobSize = 18;
constexpr qreal trackHeight = 4;
constexpr double millisecondsPerSecond = 1000.0;

// Seconds as whole milliseconds, within what the slider holds.
int milliseconds(double seconds)
{
    const double value = std::round(seconds * millisecondsPerSecond);
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

PlaySlider::PlaySlider(QWidget* parent)
    : QAbstractSlider(parent), m_knob(Artwork::fileName(QStringLiteral("sliderKnob")))
{
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setRange(0, 0);
}

double PlaySlider::minimumSeconds() const
{
    return minimum() / millisecondsPerSecond;
}

double PlaySlider::maximumSeconds() const
{
    return maximum() / millisecondsPerSecond;
}

double PlaySlider::valueSeconds() const
{
    return value() / millisecondsPerSecond;
}

void PlaySlider::setRangeSeconds(double minimum, double maximum)
{
    setRange(milliseconds(minimum), milliseconds(maximum));
}

void PlaySlider::setValueSeconds(double seconds)
{
    setValue(milliseconds(seconds));
}

QSize PlaySlider::sizeHint() const
{
    return QSize(240, static_cast<int>(knobSize) + 2);
}

qreal PlaySlider::knobCentreX() const
{
    const qreal travel = width() - knobSize;
    const qreal span = static_cast<qreal>(maximum()) - minimum();
    const qreal fraction = span > 0 ? (static_cast<qreal>(sliderPosition()) - minimum()) / span : 0;
    return knobSize / 2 + travel * fraction;
}

int PlaySlider::valueAt(qreal x) const
{
    const qreal travel = width() - knobSize;
    const qreal fraction = travel > 0 ? qBound(0.0, (x - knobSize / 2) / travel, 1.0) : 0;
    return minimum() + static_cast<int>(std::lround(fraction * (static_cast<qreal>(maximum()) - minimum())));
}

void PlaySlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(0.4);
    }
    const qreal middle = height() / 2.0;
    const qreal knobX = knobCentreX();
    const QRectF track(knobSize / 2, middle - trackHeight / 2, width() - knobSize, trackHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 70));
    painter.drawRoundedRect(track, trackHeight / 2, trackHeight / 2);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(track.left(), track.top(), knobX - track.left(), trackHeight),
                            trackHeight / 2, trackHeight / 2);
    m_knob.render(&painter, QRectF(knobX - knobSize / 2, middle - knobSize / 2, knobSize, knobSize));
}

void PlaySlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || maximum() <= minimum()) {
        event->ignore();
        return;
    }
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void PlaySlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void PlaySlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x()));
    setSliderDown(false);
    event->accept();
}
