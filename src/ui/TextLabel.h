#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

// A wrapping label of the window's own type: its pixel size, weight and colour.
QLabel* makeTextLabel(const QString& text, int pixelSize, bool bold, const QColor& colour,
                      QWidget* parent = nullptr);
