#include "ui/SpinningIndicator.h"

#include <QPainter>

namespace {

constexpr int spokes = 12;
constexpr int stepMilliseconds = 80;

} // namespace

SpinningIndicator::SpinningIndicator(QWidget* parent) : QWidget(parent)
{
    m_timer.setInterval(stepMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

void SpinningIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height());
    const qreal outer = side / 2;
    const qreal inner = outer * 0.48;
    QPen pen(Qt::white, qMax(1.5, side / 11), Qt::SolidLine, Qt::RoundCap);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < spokes; ++i) {
        // The spoke at the current step is the brightest; the ones behind it fade out.
        const int age = (m_step - i + spokes) % spokes;
        QColor colour = Qt::white;
        colour.setAlphaF(1.0 - 0.75 * age / (spokes - 1));
        pen.setColor(colour);
        painter.setPen(pen);
        painter.save();
        painter.rotate(i * 360.0 / spokes);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + pen.widthF() / 2));
        painter.restore();
    }
}

void SpinningIndicator::showEvent(QShowEvent* event)
{
    m_timer.start();
    QWidget::showEvent(event);
}

void SpinningIndicator::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}
