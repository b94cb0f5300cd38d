// The whole road of one play through the window and its real dialogs, against the simulated
// Apple TV in PIN mode: a click on a row, the PIN typed into the entry panel, pairing, the
// starting look, then playing with the position following.
#include "AtvSimProcess.h"
#include "WindowFixture.h"

#include "support/EventLoop.h"
#include "support/MediaFiles.h"
#include "ui/DialogPrompter.h"
#include "ui/ElidedLabel.h"
#include "ui/PlayListTable.h"
#include "ui/PlaySlider.h"
#include "ui/URLPanelDialog.h"
#include "ui/playCell.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <string>

namespace {

// Orvanta as the program wires it, with the real dialogs.
struct DesktopOrvanta
{
    DesktopOrvanta()
    {
        QObject::connect(&clientManager, &ClientManager::test, [this] { ++connectionsOpened; });
        clientManager.awakeFromNib(&controller);
        prompter.setWindow(&window);
    }

    TempHome home;
    Controls controls;
    DialogPrompter prompter;
    ClientManager clientManager;
    AppDelegate controller{controls, prompter, clientManager};
    MainWindow window{controller};
    int connectionsOpened = 0;
};

TEST(PlayRoad, ClickPinPairingPlayingAndProgressInTheWindow)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin", "--speed", "2"})) << sim.error();
    DesktopOrvanta orvanta;

    const QString clip = orvanta.home.filePath(QStringLiteral("Music/Tone.mp3"));
    MediaFileSpec tone;
    tone.path = clip;
    tone.seconds = 8.0;
    tone.tags = {{QStringLiteral("title"), QStringLiteral("A Tone")},
                 {QStringLiteral("album"), QStringLiteral("Demo Clips")}};
    QString error;
    ASSERT_TRUE(makeMediaFiles({tone}, &error)) << error.toStdString();
    orvanta.controller.applicationDidFinishLaunching();
    orvanta.controller.openLocalMedia(QUrl::fromLocalFile(clip).toString(QUrl::FullyEncoded));
    ASSERT_TRUE(waitUntil([&] { return orvanta.controller.arrPlayList().size() == 1; }));

    orvanta.controller.connectToDeviceAddress(QStringLiteral("127.0.0.1:%1").arg(sim.port()));
    ASSERT_TRUE(waitUntil([&] { return orvanta.connectionsOpened == 1; }));

    // The PIN the Apple TV shows goes into the panel once it is up; Return alone would not
    // send four digits, so Submit does.
    std::string pin;
    QTimer typist;
    typist.setInterval(20);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        auto* panel = qobject_cast<URLPanelDialog*>(QApplication::activeModalWidget());
        if (!panel || !pin.empty()) {
            return;
        }
        const std::optional<std::string> line = sim.waitForLine("PIN ", std::chrono::milliseconds(0));
        if (!line) {
            return;
        }
        pin = line->substr(4);
        saveScreenshot(*panel, QStringLiteral("road-pin-panel"));
        QTest::keyClicks(panel->urlField(), QString::fromStdString(pin));
        panel->submitButton()->click();
    });
    typist.start();

    auto* table = orvanta.window.findChild<PlayListTable*>(QStringLiteral("scrollMusic"));
    ASSERT_NE(table, nullptr);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(100, 30));

    ASSERT_TRUE(
        waitUntil([&] { return !orvanta.controls.progressIndicator.isHidden(); }, std::chrono::seconds(20)))
        << "pin " << pin;
    EXPECT_EQ(pin.size(), 4u);
    ASSERT_TRUE(sim.waitForLine("PAIRED ", std::chrono::seconds(5)));
    saveScreenshot(orvanta.window, QStringLiteral("road-starting"));

    ASSERT_TRUE(
        waitUntil([&] { return !orvanta.controls.txtSongName.isHidden(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(sim.waitForLine("PLAYING ", std::chrono::seconds(5)));
    auto* slider = orvanta.window.findChild<PlaySlider*>(QStringLiteral("playSlider"));
    ASSERT_TRUE(waitUntil([&] { return slider->valueSeconds() > 3.0; }, std::chrono::seconds(10)));
    EXPECT_NEAR(slider->maximumSeconds(), 8.0, 0.2);
    EXPECT_TRUE(slider->isEnabled());
    const playCell* cell = table->cellForRow(0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->txtSongName->x(), 20);
    EXPECT_EQ(orvanta.controls.txtSongName.text(), "A Tone");
    saveScreenshot(orvanta.window, QStringLiteral("road-playing"));
    typist.stop();
}

} // namespace
