#pragma once

#include "app/AppDelegate.h"

#include <QList>
#include <QStringList>

// The titles of a menu's items, in order; a separator has an empty title.
inline QStringList titles(const DeviceMenu& menu)
{
    QStringList result;
    for (const DeviceMenuItem& item : menu.items) {
        result << item.title;
    }
    return result;
}

// The application controller, with a record of every device menu it is given to keep.
class ObservedController : public AppDelegate
{
public:
    using AppDelegate::AppDelegate;

    void setAirplayDevices(const DeviceMenu& menu) override
    {
        menusKept << titles(menu);
        AppDelegate::setAirplayDevices(menu);
    }

    QList<QStringList> menusKept;
};
