#include "library/UserDefaults.h"

UserDefaults::UserDefaults()
    : m_settings(QStringLiteral("Orvanta"), QStringLiteral("Orvanta"))
{
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        m_registered.insert(it.key(), it.value());
    }
}

QVariant UserDefaults::value(const QString& key) const
{
    return m_settings.value(key, m_registered.value(key));
}

void UserDefaults::setValue(const QString& key, const QVariant& value)
{
    m_settings.setValue(key, value);
}

bool UserDefaults::contains(const QString& key) const
{
    return m_settings.contains(key);
}

void UserDefaults::synchronize()
{
    m_settings.sync();
}
