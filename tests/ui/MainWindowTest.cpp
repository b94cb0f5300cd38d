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
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
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
    EXPECT_FALSE(element("moreFilesHint")->isVisible()) << "five rows fill the view";
    saveScreenshot(window, QStringLiteral("launch-filled"));
}

// The first press opens the popover, the second closes it; closed from outside while the
// flag is set, the next press only clears the flag and the one after opens it again.
TEST_F(MainWindowTest, PopoverFollowsItsButtonAndItsFlag)
{
    launch();
    auto* button = element<ImageButton>("popoverButton");
    QWidget* popover = window.findChild<QWidget*>(QStringLiteral("popover"));
    ASSERT_NE(popover, nullptr);
    EXPECT_FALSE(popover->isVisible());

    button->click();
    EXPECT_TRUE(popover->isVisible());
    EXPECT_TRUE(controller.popoverButtonIsPressed());
    EXPECT_TRUE(element("imgThumbnail")->isVisible());
    saveScreenshot(*popover, QStringLiteral("popover"));
    button->click();
    EXPECT_FALSE(popover->isVisible());
    EXPECT_FALSE(controller.popoverButtonIsPressed());
    button->click();
    EXPECT_TRUE(popover->isVisible());

    popover->close();
    EXPECT_TRUE(controls.popover.isHidden());
    EXPECT_TRUE(controller.popoverButtonIsPressed());
    button->click();
    EXPECT_FALSE(popover->isVisible());
    EXPECT_FALSE(controller.popoverButtonIsPressed());
    button->click();
    EXPECT_TRUE(popover->isVisible());
    EXPECT_TRUE(controller.popoverButtonIsPressed());
}

TEST_F(MainWindowTest, DeviceButtonPopsUpTheDeviceMenuAndRunsItsItems)
{
    launch();
    element<ImageButton>("deviceButton")->click();
    auto* menu = window.findChild<QMenu*>(QStringLiteral("airplayDevices"));
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(waitUntil([menu] { return menu->isVisible(); }));
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 3);
    EXPECT_EQ(actions.first()->text(), "No Airplay device found");
    EXPECT_FALSE(actions.first()->isEnabled());
    QAction* byAddress = actions.last();
    EXPECT_EQ(byAddress->text(), "Connect to address…");
    EXPECT_TRUE(byAddress->isEnabled());
    EXPECT_TRUE(actions.at(actions.size() - 2)->isSeparator());
    const QPoint below = element("deviceButton")->mapToGlobal(QPoint(0, element("deviceButton")->height()));
    EXPECT_GE(menu->geometry().top(), below.y());

    orvanta.prompter.deviceAddressAnswers.push_back(QStringLiteral("not an address"));
    byAddress->trigger();
    menu->close();
    ASSERT_TRUE(waitUntil([this] { return !orvanta.prompter.alerts.isEmpty(); }));
}

// A drag on the background moves the window, also over a label; a press on a button does not.
TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindow)
{
    launch();
    const QPoint start = window.pos();
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(240, 20));
    QTest::mouseMove(&window, QPoint(300, 60));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(300, 60));
    EXPECT_EQ(window.pos(), start + QPoint(60, 40));

    QWidget* title = element("windowTitle");
    const QPoint onTitle = title->mapTo(&window, title->rect().center());
    QTest::mousePress(&window, Qt::LeftButton, {}, onTitle);
    QTest::mouseMove(&window, onTitle + QPoint(-20, 10));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, onTitle + QPoint(-20, 10));
    EXPECT_EQ(window.pos(), start + QPoint(40, 50));

    QWidget* add = element("btnSetting");
    orvanta.prompter.openDialogAnswers.push_back(QString());
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(40, 50));
    EXPECT_EQ(orvanta.prompter.openDialogs.size(), 1);
}

// Playing at 121.4 s of 337 s.
void enterPlaying(Controls& controls)
{
    controls.btnPause.setEnabled(true);
    controls.playSlider.setEnabled(true);
    controls.txtSongName.setHidden(false);
    controls.playSlider.setMinValue(0);
    controls.playSlider.setMaxValue(337);
    controls.playSlider.setDoubleValue(121.4);
}

TEST_F(MainWindowTest, KeysPauseAndSeek)
{
    launch();
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(controls.playSlider.doubleValue(), 0) << "nothing to seek before anything plays";
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(controls.btnPause.identifier(), "pause") << "the toggle is disabled";

    enterPlaying(controls);
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(controls.playSlider.doubleValue(), 131.4);
    QTest::keyClick(&window, Qt::Key_Left);
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_DOUBLE_EQ(controls.playSlider.doubleValue(), 111.4);
    controls.playSlider.setDoubleValue(332);
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(controls.playSlider.doubleValue(), 337);

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(controls.btnPause.identifier(), "play");
    EXPECT_EQ(element<ImageButton>("btnPause")->imageName(), "playBtn");
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(controls.btnPause.identifier(), "pause");

    orvanta.prompter.openDialogAnswers.push_back(QString());
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(orvanta.prompter.openDialogs.size(), 1);
}

// The knob follows the reports, except while the user holds it; letting it go writes its
// value into the window model.
TEST_F(MainWindowTest, SliderWritesItsValueWhenLetGo)
{
    launch();
    enterPlaying(controls);
    auto* slider = element<PlaySlider>("playSlider");
    EXPECT_DOUBLE_EQ(slider->valueSeconds(), 121.4);

    const QPoint threeQuarters(9 + (slider->width() - 18) * 3 / 4, slider->height() / 2);
    QTest::mousePress(slider, Qt::LeftButton, {}, threeQuarters);
    controls.playSlider.setDoubleValue(122.4);
    EXPECT_NEAR(slider->valueSeconds(), 337 * 0.75, 1.0);
    EXPECT_DOUBLE_EQ(controls.playSlider.doubleValue(), 122.4);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, threeQuarters);
    EXPECT_NEAR(controls.playSlider.doubleValue(), 337 * 0.75, 1.0);

    controls.playSlider.setDoubleValue(260);
    EXPECT_DOUBLE_EQ(slider->valueSeconds(), 260);
}

TEST_F(MainWindowTest, ImportProgressShowsForAnImportThatTakesAWhile)
{
    launch();
    auto* progress = element("importProgress");
    ASSERT_NE(progress, nullptr);
    MediaImporter& importer = controller.mediaImporter();
    emit importer.started(300);
    EXPECT_FALSE(progress->isVisible()) << "not at once";
    ASSERT_TRUE(waitUntil([progress] { return progress->isVisible(); }, std::chrono::seconds(2)));
    emit importer.progressed(120, 300);
    EXPECT_TRUE(progress->findChild<QLabel*>()->text().contains("120 of 300"));
    saveScreenshot(window, QStringLiteral("import-progress"));
    emit importer.finished({});
    EXPECT_FALSE(progress->isVisible());

    emit importer.started(2);
    emit importer.finished({});
    runEventLoop(std::chrono::milliseconds(400));
    EXPECT_FALSE(progress->isVisible()) << "a quick import does not flash it";
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
    {"after-launch", [](Controls&, AppDelegate&) {}, false, false, "pauseBtn", "pause", false, false, false,
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

void PrintTo(const PlaybackState& state, std::ostream* out)
{
    *out << state.name;
}

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
    EXPECT_EQ(element("idleHint")->isVisible(), !state.titleVisible && !state.indicatorVisible);
    saveScreenshot(window, QStringLiteral("state-%1").arg(QLatin1String(state.name)));
}

INSTANTIATE_TEST_SUITE_P(ControlStates, PlaybackStateTest, testing::ValuesIn(playbackStates),
                         [](const testing::TestParamInfo<PlaybackState>& test) {
                             std::string name = test.param.name;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

} // namespace
