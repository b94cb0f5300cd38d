#pragma once

#include <QObject>
#include <QString>

// The state of one element of the main window as the controller drives it: visibility,
// enabled state, text, image name, identifier, and for sliders the range and value. The
// window renders it; the controller reads it back (the visibility of two elements is
// controller state). Every change is signalled.
class Control : public QObject
{
    Q_OBJECT

public:
    explicit Control(const char* name, QObject* parent = nullptr);

    QString name() const { return objectName(); }

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    const QString& text() const { return m_text; }
    void setText(const QString& text);

    const QString& image() const { return m_image; }
    void setImage(const QString& image);

    const QString& identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier);

    double minValue() const { return m_minValue; }
    double maxValue() const { return m_maxValue; }
    double doubleValue() const { return m_doubleValue; }
    void setMinValue(double value);
    void setMaxValue(double value);
    void setDoubleValue(double value);

signals:
    void changed();

private:
    template <typename T>
    void update(T& field, const T& value);

    bool m_hidden = false;
    bool m_enabled = true;
    QString m_text;
    QString m_image;
    QString m_identifier;
    double m_minValue = 0;
    double m_maxValue = 0;
    double m_doubleValue = 0;
};
