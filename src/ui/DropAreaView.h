#pragma once

#include <QWidget>

class ImageView;
class QLabel;

// The drop area of the empty playlist: the two drawn backgrounds, the large picture and a
// word on what to do. The window takes the dropped files.
class DropAreaView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int designWidth = 480;
    static constexpr int designHeight = 360;

    explicit DropAreaView(QWidget* parent = nullptr);

    ImageView* const imgBigIcon;
};
