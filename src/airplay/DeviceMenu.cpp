#include "airplay/DeviceMenu.h"

DeviceMenu DeviceMenu::placeholder()
{
    DeviceMenu menu;
    DeviceMenuItem item;
    item.title = QStringLiteral("No Airplay device found");
    item.enabled = false;
    item.tag = informationTag;
    menu.items.append(item);
    return menu;
}

void DeviceMenu::setChosenItem(int tag)
{
    for (DeviceMenuItem& item : items) {
        item.on = false;
    }
    for (DeviceMenuItem& item : items) {
        if (item.tag == tag && item.action) {
            item.on = true;
            return;
        }
    }
}
