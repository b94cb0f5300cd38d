#include "app/Controls.h"

Controls::Controls(QObject* parent)
    : QObject(parent)
{
    // Nothing plays yet: no title, no album, no popover.
    txtSongName.setHidden(true);
    txtAlbumName.setHidden(true);
    popover.setHidden(true);
}

void Controls::applyWindowAppearance()
{
    m_appearanceApplied = true;
    emit windowAppearanceApplied();
}

void Controls::showWindowCentred()
{
    m_windowShown = true;
    emit windowShownCentred();
}

void Controls::reloadTable()
{
    ++m_tableReloads;
    emit tableReloaded();
}
