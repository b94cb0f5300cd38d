#include "ui/DragAndDropZone.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

// Qt's coordinates already run from the top-left corner downwards, as the design does: the
// design's points are drawn as they are.
void DragAndDropZone::paintEvent(QPaintEvent*)
{
    const QTransform transform(0.7561, 0, 0, 0.76136, 245.91, 169.66);

    QPainterPath path(QPointF(-326.79, -224.68));
    path.cubicTo(QPointF(-326.79, -224.68), QPointF(-220.64, -281.41), QPointF(-204.74, -229.99));
    path.cubicTo(QPointF(-95.586, 123.1), QPointF(75.908, 96.809), QPointF(314.76, 165.51));
    path.cubicTo(QPointF(341.83, 173.29), QPointF(314.76, 250.01), QPointF(314.76, 250.01));
    path.cubicTo(QPointF(314.76, 250.01), QPointF(-326.79, 251.54), QPointF(-326.79, 251.54));
    path.cubicTo(QPointF(-326.79, 251.54), QPointF(-326.79, -224.68), QPointF(-326.79, -224.68));
    path.closeSubpath();
    path = transform.map(path);
    path.setFillRule(Qt::OddEvenFill);

    QLinearGradient gradient(transform.map(QPointF(-176.02, 251.43)),
                             transform.map(QPointF(267.02, -251.43)));
    gradient.setSpread(QGradient::PadSpread);
    gradient.setColorAt(0.10776, QColor::fromRgbF(0.78824, 0.78824, 0.78824, 1.0));
    gradient.setColorAt(0.3169, QColor::fromRgbF(0.88438, 0.88438, 0.88438, 0.85246));
    gradient.setColorAt(0.94364, QColor::fromRgbF(1.0, 1.0, 1.0, 1.0));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    painter.setClipPath(path);
    painter.fillRect(path.boundingRect(), gradient);
    painter.restore();
}
