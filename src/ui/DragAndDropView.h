#pragma once

#include <QWidget>

// The background of the drop area: a bluish radial gradient over the 480 × 360 points of its
// design, drawn from the top-left corner and not scaled to the view's size.
class DragAndDropView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
