#pragma once

#include <QFrame>

class ImageView;

// The popover of the popover button: a small card below the button, pointing at it, about
// Orvanta and its keys. It closes on a click outside it, like any pop-up.
class Popover : public QFrame
{
    Q_OBJECT

public:
    explicit Popover(QWidget* parent = nullptr);

    // Opens below the button, centred on it.
    void showBelow(const QWidget* button);

    ImageView* const imgThumbnail;

signals:
    // The popover closed, whoever closed it.
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};
