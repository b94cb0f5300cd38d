#include "app/Control.h"

Control::Control(const char* name, QObject* parent)
    : QObject(parent)
{
    setObjectName(QString::fromLatin1(name));
}

template <typename T>
void Control::update(T& field, const T& value)
{
    if (field == value) {
        return;
    }
    field = value;
    emit changed();
}

void Control::setHidden(bool hidden)
{
    update(m_hidden, hidden);
}

void Control::setEnabled(bool enabled)
{
    update(m_enabled, enabled);
}

void Control::setText(const QString& text)
{
    update(m_text, text);
}

void Control::setImage(const QString& image)
{
    update(m_image, image);
}

void Control::setIdentifier(const QString& identifier)
{
    update(m_identifier, identifier);
}

void Control::setMinValue(double value)
{
    update(m_minValue, value);
}

void Control::setMaxValue(double value)
{
    update(m_maxValue, value);
}

void Control::setDoubleValue(double value)
{
    update(m_doubleValue, value);
}
