// The whole road of one play, end to end: Orvanta without its window, the simulated Apple TV
// as a real process, real clips in a home of their own. The Apple TV pairs or asks for a
// password, fetches each file from Orvanta's media server with its own player, and reports
// the position by its clock.
#include "AtvSimProcess.h"
#include "airplay/URLPanel.h"
#include "support/CapturedStderr.h"
#include "support/EventLoop.h"
#include "support/HeadlessOrvanta.h"
#include "support/MediaFiles.h"
#include "support/RecordedRequests.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

// How many of the requests begin with this text.
int count(const QList<RecordedRequest>& requests, const QByteArray& start)
{
    int n = 0;
    for (const RecordedRequest& request : requests) {
        n += request.bytes.startsWith(start) ? 1 : 0;
    }
    return n;
}

class RoadOfOnePlay : public testing::Test
{
protected:
    // Three clips in the home's Music folder, in the playlist in this order.
    void makePlaylist(double seconds)
    {
        QDir().mkpath(orvanta.home.filePath(QStringLiteral("Music")));
        for (const char* name : {"first song.mp3", "second.mp3", "third.mp3"}) {
            clips << orvanta.home.filePath(QStringLiteral("Music/") + QLatin1String(name));
        }
        QList<MediaFileSpec> specs;
        for (const QString& clip : clips) {
            specs.append({clip, QStringLiteral("mp3"), seconds, {}, {}});
        }
        QString error;
        ASSERT_TRUE(makeMediaFiles(specs, &error)) << error.toStdString();
        for (const QString& clip : clips) {
            ASSERT_TRUE(orvanta.controller.addToPlayList(QFileInfo(clip).fileName(), QStringLiteral("Tests"),
                                                         QStringLiteral("Orvanta"), clip,
                                                         QString::number(static_cast<int>(seconds))));
        }
        orvanta.controller.getSongsList();
        ASSERT_EQ(orvanta.controller.arrPlayList().size(), 3);
    }

    void startSim(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.end(), {"--record", record.toStdString()});
        ASSERT_TRUE(sim.start(arguments)) << sim.error();
        orvanta.launch();
        ASSERT_TRUE(orvanta.connectByAddress(sim.port()));
    }

    // Waits for a line of the Apple TV's, the event loop running meanwhile.
    std::optional<std::string> waitForSimLine(std::string_view prefix, std::chrono::milliseconds timeout)
    {
        std::optional<std::string> line;
        waitUntil([&] { return (line = sim.waitForLine(prefix, 0ms)).has_value(); }, timeout);
        return line;
    }

    void answerThePinPanel()
    {
        orvanta.prompter.entryPanelAnswers.push_back([this](URLPanel& panel) {
            const auto line = sim.waitForLine("PIN ", 5s);
            ASSERT_TRUE(line.has_value()) << "the Apple TV showed no PIN";
            panel.urlField = QString::fromStdString(line->substr(4));
            panel.onOpenUrl();
        });
    }

    // The URL the Apple TV is told to play for clip i, on the media server running now.
    QString mediaUrl(int i) const
    {
        const QString relative = clips[i].mid(orvanta.home.path().size());
        return QStringLiteral("http://127.0.0.1:%1%2")
            .arg(orvanta.controller.mediaServerPort())
            .arg(QString::fromLatin1(QUrl::toPercentEncoding(relative, "/")));
    }

    // Waits until the Apple TV's player has opened clip i from the media server; the URL it
    // opened.
    QString expectPlaying(int i)
    {
        const auto line = waitForSimLine("PLAYING ", 15s);
        EXPECT_TRUE(line.has_value()) << "the Apple TV did not play clip " << i;
        const QString url =
            QString::fromStdString(line.value_or(std::string())).section(QLatin1Char(' '), 1, 1);
        EXPECT_EQ(url, mediaUrl(i));
        return url;
    }

    bool playingLook() const
    {
        return !orvanta.controls.txtSongName.isHidden() && orvanta.controls.progressIndicator.isHidden();
    }

    bool waitForPlayingLook()
    {
        return waitUntil([this] { return playingLook(); }, 15s);
    }

    QTemporaryDir dir;
    QString record = dir.filePath(QStringLiteral("requests.jsonl"));
    AtvSimProcess sim;
    HeadlessOrvanta orvanta;
    QStringList clips;
};

TEST_F(RoadOfOnePlay, PinPairingThenPlayPauseSeekAndSteppingThroughTheList)
{
    makePlaylist(30);
    startSim({"--auth", "pin"});
    answerThePinPanel();

    CapturedStderr errors;
    orvanta.controller.tableViewShouldSelectRow(0);
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.isAuthorized(); }, 20s))
        << errors.text().toStdString();
    EXPECT_TRUE(errors.text().contains("Auth Success"));
    expectPlaying(0);

    const QList<RecordedRequest> afterPairing = readRecordedRequests(record);
    const auto play = std::find_if(afterPairing.begin(), afterPairing.end(), [](const RecordedRequest& request) {
        return request.target == QLatin1String("/play");
    });
    ASSERT_NE(play, afterPairing.end());
    EXPECT_EQ(play->bytes, QStringLiteral("POST /play HTTP/1.1\r\nHost:127.0.0.1:%1\r\n"
                                          "Content-Location: %2\r\nStart-Position: 0\r\n\r\n")
                               .arg(sim.port())
                               .arg(mediaUrl(0))
                               .toUtf8());

    ASSERT_TRUE(waitForPlayingLook());
    EXPECT_EQ(orvanta.controls.txtSongName.text(), "first song.mp3");

    const int pollsBefore = count(readRecordedRequests(record), "GET /scrub ");
    runEventLoop(5s);
    const int polls = count(readRecordedRequests(record), "GET /scrub ") - pollsBefore;
    EXPECT_GE(polls, 3) << "the position is followed";
    EXPECT_LE(polls, 6) << "no more than one progress request a second";

    orvanta.controller.pause();
    runEventLoop(1500ms);
    const double pausedAt = orvanta.controls.playSlider.doubleValue();
    runEventLoop(1500ms);
    EXPECT_EQ(orvanta.controls.playSlider.doubleValue(), pausedAt) << "paused";
    orvanta.controller.pause();
    ASSERT_TRUE(waitUntil([&] { return orvanta.controls.playSlider.doubleValue() > pausedAt; }, 5s))
        << "resumed";

    orvanta.controls.playSlider.setDoubleValue(20.0);
    orvanta.controller.seekPlayer();
    ASSERT_TRUE(waitUntil(
        [this] {
            return count(readRecordedRequests(record), "POST /scrub?position=20.000000 HTTP/1.1 \r\n") == 1;
        },
        5s));
    ASSERT_TRUE(waitUntil([this] { return orvanta.controls.playSlider.doubleValue() > 20.0; }, 5s))
        << "the Apple TV reports the new position";
    EXPECT_LT(orvanta.controls.playSlider.doubleValue(), 25.0);
    const QList<RecordedRequest> sent = readRecordedRequests(record);
    EXPECT_EQ(count(sent, "POST /rate?value=0.000000 HTTP/1.1\r\n"), 1);
    EXPECT_EQ(count(sent, "POST /rate?value=1.000000 HTTP/1.1\r\n"), 1);

    orvanta.controller.Next();
    expectPlaying(1);
    ASSERT_TRUE(waitForPlayingLook());
    EXPECT_EQ(orvanta.controls.txtSongName.text(), "second.mp3");

    orvanta.controller.Previous();
    expectPlaying(0);
    ASSERT_TRUE(waitForPlayingLook());

    orvanta.controller.Previous();
    expectPlaying(2);
    ASSERT_TRUE(waitForPlayingLook());
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), 2) << "the first item steps back to the last";

    orvanta.controller.Next();
    expectPlaying(0);
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), 0) << "the last item steps on to the first";
    ASSERT_TRUE(waitForPlayingLook());

    orvanta.controller.play();
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.currentlyPlayingSongID() == -1; }, 3s));
    EXPECT_FALSE(orvanta.controls.btnPause.isEnabled());
    EXPECT_EQ(orvanta.controls.btnPause.image(), "playBtn");
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty()) << orvanta.prompter.alerts.join('|').toStdString();
}

TEST_F(RoadOfOnePlay, PasswordThenTheItemPlaysToItsEnd)
{
    makePlaylist(40);
    startSim({"--auth", "password", "--password", "secret", "--speed", "20"});
    orvanta.prompter.entryPanelAnswers.push_back(ScriptedPrompter::typeAndSubmit(QStringLiteral("secret")));

    orvanta.controller.tableViewShouldSelectRow(1);
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.isAuthorized(); }, 10s));
    expectPlaying(1);

    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.isPlayFinished(); }, 15s));
    EXPECT_TRUE(orvanta.controls.txtSongName.isHidden());
    EXPECT_TRUE(orvanta.controls.txtAlbumName.isHidden());
    EXPECT_TRUE(orvanta.controls.progressIndicator.isHidden());
    EXPECT_TRUE(orvanta.controls.lblStartingInfo.isHidden());
    EXPECT_EQ(orvanta.controls.txtDuration.text(), "00:40 / 00:40");
    runEventLoop(2500ms);
    EXPECT_TRUE(orvanta.controls.progressIndicator.isHidden()) << "the end stays the end";
    EXPECT_TRUE(orvanta.controller.isPlayFinished());
}

TEST_F(RoadOfOnePlay, AppleTvThatAsksForNothingPlaysAtOnce)
{
    makePlaylist(30);
    startSim({});
    orvanta.controller.tableViewShouldSelectRow(2);
    expectPlaying(2);
    ASSERT_TRUE(waitForPlayingLook());
    EXPECT_EQ(orvanta.prompter.entryPanelShowings, 0);
}

TEST_F(RoadOfOnePlay, ConnectionClosedByTheAppleTvIsOpenedAgainAndPlaybackStartsAgain)
{
    makePlaylist(30);
    startSim({"--close-after", "4"});
    orvanta.controller.tableViewShouldSelectRow(0);
    const QUrl firstUrl(expectPlaying(0));

    // The stop, the play and two progress requests are answered; then the connection closes,
    // and the next progress request opens it again.
    ASSERT_TRUE(waitUntil([this] { return orvanta.connectionsOpened >= 2; }, 10s));
    EXPECT_NE(orvanta.controller.mediaServerPort(), firstUrl.port())
        << "a new connection, a new media server";

    runEventLoop(3s);
    orvanta.controller.tableViewShouldSelectRow(1);
    expectPlaying(1);
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty()) << orvanta.prompter.alerts.join('|').toStdString();
}

TEST_F(RoadOfOnePlay, AppleTvThatIsGoneIsToldAndNothingWaitsForIt)
{
    makePlaylist(5);
    startSim({});
    ASSERT_EQ(sim.stop(), 0);
    runEventLoop(200ms);

    orvanta.controller.tableViewShouldSelectRow(0);
    ASSERT_TRUE(waitUntil([this] { return !orvanta.prompter.alerts.isEmpty(); }, 5s));
    EXPECT_TRUE(orvanta.prompter.alerts[0].startsWith("Orvanta cannot reach the Apple TV"))
        << orvanta.prompter.alerts[0].toStdString();
    EXPECT_TRUE(orvanta.controls.progressIndicator.isHidden());
}

} // namespace
