// The main window: its appearance and elements after launch, the control states of playback,
// the popover, the device menu, moving the window, the keys and the import progress.
#include "WindowFixture.h"

#include "airplay/DeviceMenu.h"
#include "library/MediaImporter.h"
#include "support/EventLoop.h"
#include "ui/ElidedLabel.h"
#include "ui/ImageButton.h"
#include "ui/PlayListTable.h"
#include "ui/PlaySlider.h"
#include "ui/SpinningIndicator.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

class MainWindowTest : public testing::Test, public WindowFixture
{};

// Every element the controller knows by name is a widget of that name.
TEST_F(MainWindowTest, EveryElementIsAWidgetOfItsName)
{
    launch();
    for (const char* name : {"playListTable", "scrollMusic",       "imgSmallIcon",       "imgBigIcon",
                             "imgDropView",   "btnPlay",           "btnPause",           "btnPrevious",
                             "btnNext",       "playSlider",        "txtDuration",        "txtSongName",
                             "txtAlbumName",  "progressIndicator", "lblStartingInfo",    "popoverButton",
                             "imgThumbnail",  "btnQuit",           "btnSetting",         "startBox",
                             "startView",     "authBox",           "authView",           "txtPassword",
                             "boxPlayer",     "viewPlayer",        "txtCurrentPosition", "txtTotalTime",
                             "deviceButton"}) {
        EXPECT_NE(element(name), nullptr) << name;
    }
    EXPECT_NE(window.findChild<QWidget*>(QStringLiteral("popover")), nullptr);
}

TEST_F(MainWindowTest, LaunchWithAnEmptyStoreShowsTheDropAreaOnARoundedFramelessWindow)
{
    launch();
    ASSERT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window.geometry().center() - screen.center()).manhattanLength(), 2);

    EXPECT_TRUE(element("imgDropView")->isVisible());
    EXPECT_TRUE(element("imgBigIcon")->isVisible());
    EXPECT_FALSE(element("scrollMusic")->isVisible());
    EXPECT_FALSE(element("imgSmallIcon")->isVisible());
    for (const char* name : {"btnPlay", "btnPause", "btnPrevious", "btnNext", "playSlider"}) {
        EXPECT_FALSE(element(name)->isEnabled()) << name;
    }
    for (const char* name : {"progressIndicator", "lblStartingInfo", "startBox", "authBox"}) {
        EXPECT_FALSE(element(name)->isVisible()) << name;
    }
    EXPECT_EQ(element<ImageButton>("btnPlay")->imageName(), "stopBtn");
    EXPECT_EQ(element<ImageButton>("btnPause")->imageName(), "pauseBtn");

    // The content is a rounded rectangle of radius 50 in the window's blue: the corners stay
    // clear, the edges between them are filled.
    const QImage image = picture(window);
    saveScreenshot(window, QStringLiteral("launch-empty"));
    EXPECT_EQ(qAlpha(image.pixel(3, 3)), 0);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 4, image.height() - 4)), 0);
    EXPECT_EQ(image.pixel(image.width() / 2, 2), qRgb(1, 115, 169));
    EXPECT_EQ(image.pixel(1, image.height() / 2 + 200), qRgb(1, 115, 169));
}

TEST_F(MainWindowTest, LaunchWithAFilledStoreShowsTheTableAndTheSmallIcon)
{
    addSamplePlaylist();
    launch();
    EXPECT_TRUE(element("scrollMusic")->isVisible());
    EXPECT_TRUE(element("playListTable")->isVisible());
    EXPECT_TRUE(element("imgSmallIcon")->isVisible());
    EXPECT_FALSE(element("imgDropView")->isVisible());
    EXPECT_FALSE(element("imgBigIcon")->isVisible());
    auto* table = element<PlayListTable>("scrollMusic");
    EXPECT_EQ(table->numberOfRows(), 5);
    saveScreenshot(window, QStringLiteral("launch-filled"));
}

// The window model as the controller leaves it in each playback state, and what the window
// shows then.
struct PlaybackState
{
    const char* name;
    std::function<void(Controls&, AppDelegate&)> enter;
    bool playEnabled;
    bool pauseEnabled;
    const char* pauseImage;
    const char* pauseIdentifier;
    bool stepEnabled;
    bool sliderEnabled;
    bool titleVisible;
    bool indicatorVisible;
};

void startItem(Controls& controls)
{
    controls.btnPlay.setEnabled(true);
    controls.playSlider.setEnabled(true);
    controls.btnPause.setEnabled(true);
    controls.btnPause.setIdentifier(QStringLiteral("pause"));
    controls.btnPause.setImage(QStringLiteral("pauseBtn"));
    controls.btnPrevious.setEnabled(true);
    controls.btnNext.setEnabled(true);
    controls.lblStartingInfo.setHidden(false);
    controls.progressIndicator.setHidden(false);
    controls.txtSongName.setHidden(true);
    controls.txtAlbumName.setHidden(true);
    controls.txtSongName.setText(QStringLiteral("Blue in Green"));
    controls.txtAlbumName.setText(QStringLiteral("Kind of Blue"));
}

void reportPosition(Controls& controls, double position, double duration, const QString& text)
{
    controls.txtSongName.setHidden(false);
    controls.txtAlbumName.setHidden(false);
    controls.progressIndicator.setHidden(true);
    controls.lblStartingInfo.setHidden(true);
    controls.playSlider.setMaxValue(duration);
    controls.playSlider.setMinValue(0);
    controls.playSlider.setDoubleValue(position);
    controls.txtDuration.setText(text);
}

const PlaybackState playbackStates[] = {
    {"after-launch", [](Controls&, AppDelegate&) {}, false, false, "pauseBtn", "pause", false, false, true,
     false},
    {"starting", [](Controls& controls, AppDelegate&) { startItem(controls); }, true, true, "pauseBtn",
     "pause", true, true, false, true},
    {"playing",
     [](Controls& controls, AppDelegate&) {
         startItem(controls);
         reportPosition(controls, 121.4, 337, QStringLiteral("02:01 / 05:37"));
     },
     true, true, "pauseBtn", "pause", true, true, true, false},
    {"paused",
     [](Controls& controls, AppDelegate&) {
         startItem(controls);
         reportPosition(controls, 121.4, 337, QStringLiteral("02:01 / 05:37"));
         controls.btnPause.setIdentifier(QStringLiteral("play"));
         controls.btnPause.setImage(QStringLiteral("playBtn"));
     },
     true, true, "playBtn", "play", true, true, true, false},
    {"finished",
     [](Controls& controls, AppDelegate&) {
         startItem(controls);
         reportPosition(controls, 337, 337, QStringLiteral("05:37 / 05:37"));
         controls.txtSongName.setHidden(true);
         controls.txtAlbumName.setHidden(true);
     },
     true, true, "pauseBtn", "pause", true, true, false, false},
    {"stopped",
     [](Controls& controls, AppDelegate& controller) {
         startItem(controls);
         reportPosition(controls, 121.4, 337, QStringLiteral("02:01 / 05:37"));
         controls.btnPause.setIdentifier(QStringLiteral("play"));
         controls.btnPause.setImage(QStringLiteral("playBtn"));
         controls.btnPause.setEnabled(false);
         controller.setCurrentlyPlayingSongID(-1);
         controls.reloadTable();
     },
     true, false, "playBtn", "play", true, true, true, false},
};

class PlaybackStateTest : public testing::TestWithParam<PlaybackState>, public WindowFixture
{};

TEST_P(PlaybackStateTest, TheWindowShowsTheControlStates)
{
    const PlaybackState& state = GetParam();
    addSamplePlaylist();
    launch();
    if (std::string(state.name) != "after-launch") {
        controller.setCurrentlyPlayingSongID(2);
        controls.reloadTable();
    }
    state.enter(controls, controller);
    QCoreApplication::processEvents();

    EXPECT_EQ(element("btnPlay")->isEnabled(), state.playEnabled);
    EXPECT_EQ(element<ImageButton>("btnPlay")->imageName(), "stopBtn");
    EXPECT_EQ(element("btnPause")->isEnabled(), state.pauseEnabled);
    EXPECT_EQ(element<ImageButton>("btnPause")->imageName(), state.pauseImage);
    EXPECT_EQ(element("btnPause")->property("identifier").toString(), state.pauseIdentifier);
    EXPECT_EQ(element("btnPrevious")->isEnabled(), state.stepEnabled);
    EXPECT_EQ(element("btnNext")->isEnabled(), state.stepEnabled);
    EXPECT_EQ(element("playSlider")->isEnabled(), state.sliderEnabled);
    EXPECT_EQ(element("txtSongName")->isVisible(), state.titleVisible);
    EXPECT_EQ(element("txtAlbumName")->isVisible(), state.titleVisible);
    EXPECT_EQ(element("progressIndicator")->isVisible(), state.indicatorVisible);
    EXPECT_EQ(element("lblStartingInfo")->isVisible(), state.indicatorVisible);
    EXPECT_EQ(element<SpinningIndicator>("progressIndicator")->isAnimating(), state.indicatorVisible);
    EXPECT_DOUBLE_EQ(element<PlaySlider>("playSlider")->valueSeconds(), controls.playSlider.doubleValue());
    EXPECT_EQ(element<ElidedLabel>("txtDuration")->text(), controls.txtDuration.text());
    saveScreenshot(window, QStringLiteral("state-%1").arg(QLatin1String(state.name)));
}

INSTANTIATE_TEST_SUITE_P(ControlStates, PlaybackStateTest, testing::ValuesIn(playbackStates),
                         [](const testing::TestParamInfo<PlaybackState>& test) {
                             std::string name = test.param.name;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

} // namespace
