#pragma once

#include <QTimer>
#include <QWidget>

// An indeterminate spinner: twelve spokes fading round. It animates only while it is visible.
class SpinningIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit SpinningIndicator(QWidget* parent = nullptr);

    bool isAnimating() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};
