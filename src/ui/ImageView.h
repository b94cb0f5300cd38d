#pragma once

#include <QSvgRenderer>
#include <QWidget>

// A picture of the artwork, drawn at the view's size with its proportions kept.
class ImageView : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(const QString& imageName = QString(), QWidget* parent = nullptr);

    const QString& imageName() const { return m_imageName; }
    void setImageName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_imageName;
    QSvgRenderer m_renderer;
};
