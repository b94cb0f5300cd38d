#pragma once

#include <QWidget>

// A background that paints a grey-to-white gradient below a wave-shaped edge, in the
// 480 × 360 points of its design, drawn from the top-left corner and not scaled to the
// view's size.
class DragAndDropZone : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
