#pragma once

#include <QAbstractButton>
#include <QSvgRenderer>

// A flat button that shows a picture of the artwork: a soft halo under the pointer, a deeper
// one while pressed, and the picture faded while the button is disabled.
class ImageButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ImageButton(const QString& imageName, QWidget* parent = nullptr);

    const QString& imageName() const { return m_imageName; }
    void setImageName(const QString& name);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_imageName;
    QSvgRenderer m_renderer;
};
