#include "ui/DropAreaView.h"

#include "ui/DragAndDropView.h"
#include "ui/DragAndDropZone.h"
#include "ui/ImageView.h"
#include "ui/TextLabel.h"

#include <QLabel>

namespace {

QLabel* makeCaption(QWidget* parent, const QString& text, int pixelSize, bool bold, const QColor& colour)
{
    QLabel* label = makeTextLabel(text, pixelSize, bold, colour, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

DropAreaView::DropAreaView(QWidget* parent)
    : QWidget(parent), imgBigIcon(new ImageView(QStringLiteral("iconBig"), this))
{
    auto* background = new DragAndDropView(this);
    background->setObjectName(QStringLiteral("dragAndDropView"));
    background->setGeometry(0, 0, designWidth, designHeight);
    auto* zone = new DragAndDropZone(this);
    zone->setObjectName(QStringLiteral("dragAndDropZone"));
    zone->setGeometry(0, 0, designWidth, designHeight);

    imgBigIcon->setObjectName(QStringLiteral("imgBigIcon"));
    imgBigIcon->setGeometry((designWidth - 112) / 2, 62, 112, 112);
    imgBigIcon->raise();

    QLabel* title =
        makeCaption(this, QStringLiteral("Drop audio and video files here"), 17, true, QColor(16, 60, 88));
    title->setGeometry(40, 192, designWidth - 80, 26);
    QLabel* detail = makeCaption(this,
                                 QStringLiteral("MP3, MP4, MKV, AVI, MPEG or MOV files join the playlist.\n"
                                                "Or press Ctrl+O to choose one."),
                                 12, false, QColor(44, 84, 110));
    detail->setGeometry(40, 222, designWidth - 80, 40);
    setFixedSize(designWidth, designHeight);
}
