#pragma once

#include <QAbstractSlider>
#include <QSvgRenderer>

// The position slider: a thin track, filled up to a knob picture. Its values are seconds,
// held to the millisecond. A press anywhere on the track moves the knob there; the window
// seeks when the knob is let go.
class PlaySlider : public QAbstractSlider
{
    Q_OBJECT

public:
    explicit PlaySlider(QWidget* parent = nullptr);

    double minimumSeconds() const;
    double maximumSeconds() const;
    double valueSeconds() const;
    void setRangeSeconds(double minimum, double maximum);
    void setValueSeconds(double seconds);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int valueAt(qreal x) const;
    qreal knobCentreX() const;

    QSvgRenderer m_knob;
};
