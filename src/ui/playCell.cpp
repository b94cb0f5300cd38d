#include "ui/playCell.h"

#include "ui/ElidedLabel.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"

#include <QPainter>

namespace {

constexpr int lineHeight = 14;
constexpr int textX = 5;
constexpr int textWidth = 252;
constexpr int deleteSize = 24;
constexpr int deleteMargin = 8;

ElidedLabel* makeLabel(QWidget* parent, const char* name, int pixelSize, bool bold, int alpha,
                       Qt::TextElideMode mode = Qt::ElideRight)
{
    auto* label = new ElidedLabel(mode, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, alpha));
    label->setPalette(palette);
    return label;
}

} // namespace

playCell::playCell(QWidget* parent)
    : QWidget(parent), txtSongName(makeLabel(this, "txtSongName", 12, true, 255)),
      txtAlbumName(makeLabel(this, "txtAlbumName", 11, false, 220)),
      txtDuration(makeLabel(this, "txtDuration", 11, false, 190)),
      txtSorcePath(makeLabel(this, "txtSorcePath", 10, false, 150, Qt::ElideMiddle)),
      btnDelete(new ImageButton(QStringLiteral("deleteBtn"), this)),
      imgCurrentPlaying(new ImageView(QStringLiteral("playingMark"), this))
{
    setAttribute(Qt::WA_Hover);
    txtDuration->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnDelete->setToolTip(QStringLiteral("Remove from the playlist"));
    imgCurrentPlaying->setObjectName(QStringLiteral("imgCurrentPlaying"));
    imgCurrentPlaying->hide();
    connect(btnDelete, &ImageButton::clicked, this, [this] { emit deleteClicked(m_deleteTag); });
    resize(textX + textWidth + deleteMargin + deleteSize, rowHeight);
}

void playCell::configure(const PlayCellConfiguration& configuration)
{
    m_isCurrentPlaying = configuration.isCurrentPlaying;
    m_songNameFrame = configuration.songNameFrame;
    m_deleteTag = configuration.deleteTag;
    imgCurrentPlaying->setVisible(configuration.isCurrentPlaying);
    txtSongName->setText(configuration.songName);
    txtAlbumName->setText(configuration.albumName);
    txtDuration->setText(configuration.durationText);
    txtSorcePath->setText(configuration.sourceText);
    placeSubviews();
    update();
}

void playCell::resizeEvent(QResizeEvent* event)
{
    placeSubviews();
    QWidget::resizeEvent(event);
}

// The frame of the title is given from the cell's bottom-left corner; the others stand below
// it, one line each.
void playCell::placeSubviews()
{
    const QRect frame = m_songNameFrame;
    txtSongName->setGeometry(frame.x(), height() - frame.y() - frame.height(), frame.width(), frame.height());
    const int top = txtSongName->y();
    imgCurrentPlaying->setGeometry(textX - 1, top + 1, 12, 12);
    const int right = width() - deleteSize - 2 * deleteMargin;
    txtDuration->setGeometry(frame.x() + frame.width(), top, qMax(0, right - frame.x() - frame.width()),
                             lineHeight);
    txtAlbumName->setGeometry(textX, top + 21, textWidth, lineHeight);
    txtSorcePath->setGeometry(textX, top + 42, qMax(textWidth, right - textX), lineHeight);
    btnDelete->setGeometry(width() - deleteSize - deleteMargin, (height() - deleteSize) / 2, deleteSize,
                           deleteSize);
}

void playCell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_isCurrentPlaying || underMouse()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, m_isCurrentPlaying ? 34 : 18));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0, 2, 0, -2), 10, 10);
    }
    painter.setPen(QColor(255, 255, 255, 36));
    painter.drawLine(QPointF(textX, height() - 0.5), QPointF(width() - textX, height() - 0.5));
}
