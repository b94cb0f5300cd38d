#include "ui/ImageView.h"

#include "diagnostics/SystemLog.h"
#include "ui/Artwork.h"

#include <QPainter>

ImageView::ImageView(const QString& imageName, QWidget* parent) : QWidget(parent)
{
    setImageName(imageName);
}

void ImageView::setImageName(const QString& name)
{
    if (name == m_imageName) {
        return;
    }
    m_imageName = name;
    if (!name.isEmpty() && !m_renderer.load(Artwork::fileName(name))) {
        systemLog(QStringLiteral("The picture \"%1\" of %2 is not in the artwork").arg(name, objectName()));
    }
    update();
}

void ImageView::paintEvent(QPaintEvent*)
{
    if (m_imageName.isEmpty() || !m_renderer.isValid()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QSizeF size = m_renderer.defaultSize();
    size.scale(QSizeF(width(), height()), Qt::KeepAspectRatio);
    const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                        size.height());
    m_renderer.render(&painter, target);
}
