#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/DeviceAddress.h"
#include "app/Prompter.h"
#include "diagnostics/SystemLog.h"

#include <QPointer>

DeviceMenu* AppDelegate::airplayDevices()
{
    return m_airplayDevices ? &*m_airplayDevices : nullptr;
}

void AppDelegate::setAirplayDevices(const DeviceMenu& menu)
{
    m_airplayDevices = menu;
}

void AppDelegate::openAirplayMenu()
{
    if (!m_airplayDevices) {
        setAirplayDevices(DeviceMenu::placeholder());
    }
    DeviceMenu shown = *m_airplayDevices;
    if (!m_clientManager.isDiscoveryAvailable()) {
        DeviceMenuItem daemonMissing;
        daemonMissing.title = QStringLiteral("Device discovery needs the Avahi daemon (avahi-daemon)");
        daemonMissing.enabled = false;
        daemonMissing.tag = DeviceMenu::informationTag;
        shown.items.append(daemonMissing);
    }
    DeviceMenuItem separator;
    separator.enabled = false;
    separator.tag = DeviceMenu::informationTag;
    separator.separator = true;
    shown.items.append(separator);

    DeviceMenuItem byAddress;
    byAddress.title = QStringLiteral("Connect to address…");
    byAddress.tag = DeviceMenu::informationTag + 1;
    const QPointer<AppDelegate> self(this);
    byAddress.action = [self](const DeviceMenuItem&) {
        if (self) {
            self->connectToAddress();
        }
    };
    shown.items.append(byAddress);

    emit popUpDeviceMenu(shown);
}

void AppDelegate::connectToAddress()
{
    QString text;
    {
        const auto hold = m_clientManager.holdConnection();
        text = m_prompter.askDeviceAddress();
    }
    if (!text.isNull()) {
        connectToDeviceAddress(text);
    }
}

void AppDelegate::connectToDeviceAddress(const QString& text)
{
    const DeviceAddress address = DeviceAddress::parse(text);
    if (!address.error.isEmpty()) {
        systemLog(QStringLiteral("Refused the Apple TV address \"%1\": %2").arg(text, address.error));
        showAlert(address.error);
        return;
    }
    m_clientManager.addDevice(address.serviceRecord());
}
