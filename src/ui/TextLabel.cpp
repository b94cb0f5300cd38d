#include "ui/TextLabel.h"

#include <QLabel>

QLabel* makeTextLabel(const QString& text, int pixelSize, bool bold, const QColor& colour, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}
