#include "ui/ImageButton.h"

#include "diagnostics/SystemLog.h"
#include "ui/Artwork.h"

#include <QEvent>
#include <QPainter>

namespace {

constexpr qreal disabledOpacity = 0.32;
constexpr int hoverAlpha = 38;
constexpr int pressedAlpha = 70;

} // namespace

ImageButton::ImageButton(const QString& imageName, QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setImageName(imageName);
}

void ImageButton::setImageName(const QString& name)
{
    if (name == m_imageName) {
        return;
    }
    m_imageName = name;
    if (!m_renderer.load(Artwork::fileName(name))) {
        systemLog(QStringLiteral("The picture \"%1\" of %2 is not in the artwork").arg(name, objectName()));
    }
    update();
}

QSize ImageButton::sizeHint() const
{
    return m_renderer.isValid() ? m_renderer.defaultSize() : QSize(28, 28);
}

void ImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    if (isEnabled() && (isDown() || underMouse())) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, isDown() ? pressedAlpha : hoverAlpha));
        painter.drawEllipse(area);
    }
    if (!isEnabled()) {
        painter.setOpacity(disabledOpacity);
    }
    QSizeF size = m_renderer.defaultSize();
    size.scale(area.size(), Qt::KeepAspectRatio);
    m_renderer.render(&painter, QRectF(area.center().x() - size.width() / 2,
                                       area.center().y() - size.height() / 2, size.width(), size.height()));
}

void ImageButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        setCursor(isEnabled() ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    QAbstractButton::changeEvent(event);
}
