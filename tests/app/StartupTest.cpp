// The controller's state and the window after start-up.
#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "support/CapturedStderr.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class StartupTest : public testing::Test
{
protected:
    void launch()
    {
        manager.awakeFromNib(&controller);
        controller.applicationDidFinishLaunching();
    }

    TempHome home;
    Controls controls;
    ScriptedPrompter prompter;
    ClientManager manager;
    AppDelegate controller{controls, prompter, manager};
};

TEST_F(StartupTest, ControllerStartsIdleWithThePlayerControlsDisabled)
{
    launch();
    EXPECT_EQ(controller.currentlyPlayingSongID(), -1);
    EXPECT_FALSE(controller.isAuthorized());
    EXPECT_TRUE(controller.commandType().isNull());
    EXPECT_FALSE(controller.isPlayFinished());
    EXPECT_FALSE(controller.isPassOpened());
    EXPECT_EQ(controller.failTimeCount(), 0u);
    EXPECT_TRUE(controller.host().isNull());
    EXPECT_EQ(controller.port(), 0);
    EXPECT_FALSE(controller.popoverButtonIsPressed());

    for (const Control* control : {&controls.btnPlay, &controls.btnPause, &controls.btnPrevious, &controls.btnNext,
                                   &controls.playSlider}) {
        EXPECT_FALSE(control->isEnabled()) << control->name().toStdString();
    }
    EXPECT_EQ(controls.btnPlay.image(), "stopBtn");
    EXPECT_EQ(controls.btnPause.image(), "pauseBtn");
    EXPECT_EQ(controls.btnPause.identifier(), "pause");
    for (const Control* control : {&controls.lblStartingInfo, &controls.progressIndicator, &controls.authBox,
                                   &controls.authView, &controls.startBox, &controls.startView}) {
        EXPECT_TRUE(control->isHidden()) << control->name().toStdString();
    }
    EXPECT_TRUE(controls.isAppearanceApplied());
    EXPECT_TRUE(controls.isWindowShown());
    EXPECT_TRUE(prompter.alerts.isEmpty());
}

TEST_F(StartupTest, EmptyPlaylistShowsTheDropArea)
{
    launch();
    EXPECT_TRUE(controls.scrollMusic.isHidden());
    EXPECT_TRUE(controls.playListTable.isHidden());
    EXPECT_TRUE(controls.imgSmallIcon.isHidden());
    EXPECT_FALSE(controls.imgBigIcon.isHidden());
    EXPECT_FALSE(controls.imgDropView.isHidden());
}

TEST_F(StartupTest, CrashOnExceptionsIsRegisteredNotStored)
{
    launch();
    EXPECT_TRUE(controller.userDefaults().value(QStringLiteral("NSApplicationCrashOnExceptions")).toBool());
    EXPECT_FALSE(controller.userDefaults().contains(QStringLiteral("NSApplicationCrashOnExceptions")));
}

TEST_F(StartupTest, StoredFileAccessIsRestoredAndAMissingFileCostsOnlyALogLine)
{
    QDir().mkpath(home.filePath(QStringLiteral("Music")));
    const QString kept = home.filePath(QStringLiteral("Music/kept.mp3"));
    const QString deleted = home.filePath(QStringLiteral("Music/deleted.mp3"));
    QFile(kept).open(QIODevice::WriteOnly);
    {
        QSettings settings(QStringLiteral("Orvanta"), QStringLiteral("Orvanta"));
        settings.setValue(QStringLiteral("BookmarkAccess"),
                          QVariantList{QUrl::fromLocalFile(deleted).toEncoded(), QByteArray(),
                                       QUrl::fromLocalFile(kept).toEncoded()});
    }

    CapturedStderr errors;
    launch();
    const QByteArrayList lines = errors.text().split('\n');
    QByteArrayList results;
    for (const QByteArray& line : lines) {
        if (line.endsWith(" 0") || line.endsWith(" 1")) {
            results << line.right(1);
        }
    }
    EXPECT_EQ(results, (QByteArrayList{"0", "1"}));
    EXPECT_TRUE(controls.startBox.isHidden()) << "start-up ran to its end";
}

TEST_F(StartupTest, PopoverOpensClosesAndRecoversFromBeingClosedElsewhere)
{
    launch();
    controller.togglePopover();
    EXPECT_FALSE(controls.popover.isHidden());
    controller.togglePopover();
    EXPECT_TRUE(controls.popover.isHidden());

    controller.togglePopover();
    controls.popover.setHidden(true); // closed by a click elsewhere
    controller.togglePopover();
    EXPECT_TRUE(controls.popover.isHidden());
    EXPECT_FALSE(controller.popoverButtonIsPressed());
    controller.togglePopover();
    EXPECT_FALSE(controls.popover.isHidden());
}

} // namespace
