#pragma once

#include <QWidget>

// One line of text that ends in "…" where it does not fit (or loses its middle, for paths);
// the whole text is the tool tip then.
class ElidedLabel : public QWidget
{
    Q_OBJECT

public:
    explicit ElidedLabel(Qt::TextElideMode mode = Qt::ElideRight, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    void setText(const QString& text);

    // Shown, dimmed, while the text is empty.
    void setPlaceholderText(const QString& text);

    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();

    Qt::TextElideMode m_mode;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QString m_text;
    QString m_placeholder;
};
