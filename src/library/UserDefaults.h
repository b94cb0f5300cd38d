#pragma once

#include <QSettings>
#include <QVariant>
#include <QVariantMap>

// The user-defaults store: QSettings of organisation and application "Orvanta", with
// registered defaults that answer for keys never written (they are not stored).
class UserDefaults
{
public:
    UserDefaults();

    void registerDefaults(const QVariantMap& defaults);
    QVariant value(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);
    bool contains(const QString& key) const;

    // Writes pending changes to disk.
    void synchronize();

private:
    QSettings m_settings;
    QVariantMap m_registered;
};
