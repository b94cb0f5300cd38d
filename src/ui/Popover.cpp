#include "ui/Popover.h"

#include "ui/ImageView.h"
#include "ui/TextLabel.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int arrowHeight = 9;
constexpr int arrowHalfWidth = 10;
constexpr qreal cornerRadius = 14;
constexpr int cardWidth = 272;
const QColor textColour(28, 38, 48);
const QColor quietTextColour(92, 104, 116);

} // namespace

Popover::Popover(QWidget* parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      imgThumbnail(new ImageView(QStringLiteral("iconBig")))
{
    setObjectName(QStringLiteral("popover"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(cardWidth);
    imgThumbnail->setObjectName(QStringLiteral("imgThumbnail"));
    imgThumbnail->setFixedSize(56, 56);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(2);
    heading->addWidget(makeTextLabel(QStringLiteral("Orvanta"), 17, true, textColour));
    heading->addWidget(makeTextLabel(QStringLiteral("Version %1").arg(QCoreApplication::applicationVersion()),
                                     11, false, quietTextColour));
    heading->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(imgThumbnail, 0, Qt::AlignTop);
    top->addLayout(heading, 1);

    auto* keys = new QGridLayout;
    keys->setHorizontalSpacing(14);
    keys->setVerticalSpacing(5);
    const QList<QPair<QString, QString>> shortcuts = {
        {QStringLiteral("Space"), QStringLiteral("Pause or resume")},
        {QStringLiteral("← →"), QStringLiteral("Seek 10 seconds back or on")},
        {QStringLiteral("Ctrl+O"), QStringLiteral("Add a media file")},
        {QStringLiteral("Ctrl+Q"), QStringLiteral("Quit")},
    };
    for (int row = 0; row < shortcuts.size(); ++row) {
        keys->addWidget(makeTextLabel(shortcuts[row].first, 11, true, textColour), row, 0);
        keys->addWidget(makeTextLabel(shortcuts[row].second, 11, false, quietTextColour), row, 1);
    }
    keys->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18 + arrowHeight, 18, 18);
    layout->setSpacing(12);
    layout->addLayout(top);
    layout->addWidget(
        makeTextLabel(QStringLiteral("Plays the audio and video files of your playlist on an Apple TV. "
                                     "Drop files on the window to add them."),
                      11, false, textColour));
    layout->addLayout(keys);
}

void Popover::showBelow(const QWidget* button)
{
    adjustSize();
    const QPoint tip = button->mapToGlobal(QPoint(button->width() / 2, button->height()));
    move(tip.x() - width() / 2, tip.y());
    show();
}

void Popover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, arrowHeight + 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(card, cornerRadius, cornerRadius);
    const qreal middle = width() / 2.0;
    QPainterPath arrow(QPointF(middle - arrowHalfWidth, card.top() + 1));
    arrow.lineTo(middle, 0.5);
    arrow.lineTo(middle + arrowHalfWidth, card.top() + 1);
    arrow.closeSubpath();
    shape = shape.united(arrow);
    painter.setPen(QPen(QColor(0, 0, 0, 40), 1));
    painter.setBrush(QColor(250, 252, 254));
    painter.drawPath(shape);
}

void Popover::hideEvent(QHideEvent* event)
{
    QFrame::hideEvent(event);
    emit closed();
}
