#pragma once

#include "app/Control.h"

#include <QObject>

// The model of the main window that the controller drives and the window renders. Its
// members carry the names by which the controller knows the window's elements.
class Controls : public QObject
{
    Q_OBJECT

public:
    explicit Controls(QObject* parent = nullptr);

    Control playListTable{"playListTable", this};
    Control scrollMusic{"scrollMusic", this};
    Control imgSmallIcon{"imgSmallIcon", this};
    Control imgBigIcon{"imgBigIcon", this};
    Control imgDropView{"imgDropView", this};
    Control btnPlay{"btnPlay", this};
    Control btnPause{"btnPause", this};
    Control btnPrevious{"btnPrevious", this};
    Control btnNext{"btnNext", this};
    Control playSlider{"playSlider", this};
    Control txtDuration{"txtDuration", this};
    Control txtSongName{"txtSongName", this};
    Control txtAlbumName{"txtAlbumName", this};
    Control progressIndicator{"progressIndicator", this};
    Control lblStartingInfo{"lblStartingInfo", this};
    Control popoverButton{"popoverButton", this};
    Control popover{"popover", this};
    Control imgThumbnail{"imgThumbnail", this};
    Control btnQuit{"btnQuit", this};
    Control btnSetting{"btnSetting", this};
    Control startBox{"startBox", this};
    Control startView{"startView", this};
    Control authBox{"authBox", this};
    Control authView{"authView", this};
    Control txtPassword{"txtPassword", this};
    Control boxPlayer{"boxPlayer", this};
    Control viewPlayer{"viewPlayer", this};
    Control txtCurrentPosition{"txtCurrentPosition", this};
    Control txtTotalTime{"txtTotalTime", this};

    // The window: its appearance (frameless, translucent, rounded coloured content) and its
    // being shown key, in front and centred.
    bool isAppearanceApplied() const { return m_appearanceApplied; }
    void applyWindowAppearance();
    bool isWindowShown() const { return m_windowShown; }
    void showWindowCentred();

    // The playlist table shows the controller's list again.
    void reloadTable();
    int tableReloads() const { return m_tableReloads; }

signals:
    void windowAppearanceApplied();
    void windowShownCentred();
    void tableReloaded();

private:
    bool m_appearanceApplied = false;
    bool m_windowShown = false;
    int m_tableReloads = 0;
};
