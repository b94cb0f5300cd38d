#include "ui/DragAndDropView.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

// Qt's coordinates already run from the top-left corner downwards, as the design does: the
// design's points are drawn as they are.
void DragAndDropView::paintEvent(QPaintEvent*)
{
    const QTransform transform(0.75078, 0, 0, 0.74843, 240.34, 180.0);

    QPainterPath path(QPointF(-320.78, -240.5));
    path.cubicTo(QPointF(-320.78, -240.5), QPointF(319.22, -240.5), QPointF(319.22, -240.5));
    path.cubicTo(QPointF(319.22, -240.5), QPointF(320.78, 240.5), QPointF(320.78, 240.5));
    path.cubicTo(QPointF(320.78, 240.5), QPointF(-320.11, 240.5), QPointF(-320.11, 240.5));
    path.cubicTo(QPointF(-320.11, 240.5), QPointF(-320.78, -240.5), QPointF(-320.78, -240.5));
    path.closeSubpath();
    path = transform.map(path);
    path.setFillRule(Qt::OddEvenFill);

    // Qt's extended radial gradient runs from its focal circle (0) to its centre circle (1).
    QRadialGradient gradient(transform.map(QPointF(254.5, -320.5)), 524.75,
                             transform.map(QPointF(-53.015, 19.0)), 0);
    gradient.setSpread(QGradient::PadSpread);
    gradient.setColorAt(0, QColor::fromRgbF(0.40578, 0.55915, 0.74902, 0.47451));
    gradient.setColorAt(0.677, QColor::fromRgbF(0.88438, 0.88438, 0.88438, 0.85246));
    gradient.setColorAt(0.94364, QColor::fromRgbF(0.59921, 0.85397, 1.0, 1.0));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    painter.setClipPath(path);
    painter.fillRect(path.boundingRect(), gradient);
    painter.restore();
}
