#pragma once

#include <QList>
#include <QString>

#include <functional>

// One item of the device menu.
struct DeviceMenuItem
{
    QString title;
    bool enabled = true;
    // For an Apple TV: its position in the client manager's list of services when the menu
    // was built. Items that only inform carry DeviceMenu::informationTag.
    int tag = 0;
    // The target and action: what choosing the item does; it is handed the item. Empty for
    // items that only inform.
    std::function<void(const DeviceMenuItem&)> action;
    // The check mark of the chosen device.
    bool on = false;
    bool separator = false;
};

// The menu of the device button: the Apple TVs found, the one chosen, and what else the
// button offers. The window pops it up at the device button and calls the action of the
// item the user chooses.
struct DeviceMenu
{
    static constexpr int informationTag = 1000;

    QString title;
    bool autoenablesItems = false;
    QList<DeviceMenuItem> items;

    // The menu while no Apple TV has been found: "No Airplay device found", disabled.
    static DeviceMenu placeholder();

    // Turns every item off, then the Apple TV item with this tag on.
    void setChosenItem(int tag);
};
