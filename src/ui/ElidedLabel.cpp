#include "ui/ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QWidget(parent), m_mode(mode) {}

void ElidedLabel::setText(const QString& text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    updateToolTip();
    update();
}

void ElidedLabel::setPlaceholderText(const QString& text)
{
    m_placeholder = text;
    update();
}

void ElidedLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return QSize(metrics.horizontalAdvance(m_text.isEmpty() ? m_placeholder : m_text), metrics.height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    const bool placeholder = m_text.isEmpty();
    const QString& shown = placeholder ? m_placeholder : m_text;
    if (shown.isEmpty()) {
        return;
    }
    QPainter painter(this);
    if (placeholder || !isEnabled()) {
        painter.setOpacity(0.55);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), static_cast<int>(m_alignment), fontMetrics().elidedText(shown, m_mode, width()));
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    updateToolTip();
    QWidget::resizeEvent(event);
}

void ElidedLabel::updateToolTip()
{
    setToolTip(fontMetrics().horizontalAdvance(m_text) > width() ? m_text : QString());
}
