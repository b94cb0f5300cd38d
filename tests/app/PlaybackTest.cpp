// The playback flow on the controller, with a real TCP peer standing for the Apple TV: which
// requests go out, how the window model changes, the rules of the previous/next buttons.
#include "app/RecentDocuments.h"
#include "support/EventLoop.h"
#include "support/HeadlessOrvanta.h"
#include "support/TcpPeer.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QByteArray agentA =
    "User-Agent: iTunes/12.7 (Macintosh; Intel Mac OS X 10.13.1) AppleWebKit/535.18.5\r\n";
const QByteArray stopRequest =
    "POST /stop HTTP/1.1\r\n" + agentA + "Content-Length: 0\r\nContent-Type: text/parameters\r\n\r\n";

Playlist item(const QString& name, const QString& path)
{
    Playlist record;
    record.songName = name;
    record.songAlbum = name + QStringLiteral(" album");
    record.songArtist = QStringLiteral("Unknown");
    record.songPath = path;
    record.songTime = QStringLiteral("215");
    return record;
}

class PlaybackTest : public testing::Test
{
protected:
    void SetUp() override
    {
        orvanta.launch();
        list = {item(QStringLiteral("One"), orvanta.home.filePath(QStringLiteral("Music/one two.mp3"))),
                item(QStringLiteral("Two"), QStringLiteral("/srv/media/two.mp3")),
                item(QStringLiteral("Three"), orvanta.home.filePath(QStringLiteral("Music/three.mp3")))};
        orvanta.controller.setArrPlayList(list);
    }

    void connect() { ASSERT_TRUE(orvanta.connectByAddress(peer.port())); }

    // The requests the peer has received since the last call.
    QByteArray sent()
    {
        runEventLoop(100ms);
        const QByteArray all = peer.received(peer.connectionCount() - 1);
        QByteArray fresh = all.mid(m_seen);
        m_seen = all.size();
        return fresh;
    }

    // A progress report as the Apple TV's answers bring it, run to its end.
    void report(const QString& duration, const QString& position)
    {
        orvanta.controller.updateSongProgress(duration, position);
        runEventLoop(20ms);
    }

    Controls& controls() { return orvanta.controls; }

    TcpPeer peer;
    HeadlessOrvanta orvanta;
    QList<Playlist> list;
    qsizetype m_seen = 0;
};

TEST_F(PlaybackTest, RowChosenWithoutAnAppleTvAlertsAndTheTableComesBackAfterThreeSeconds)
{
    EXPECT_FALSE(orvanta.controller.tableViewShouldSelectRow(1));
    EXPECT_EQ(orvanta.prompter.alerts, QStringList{"No any AppleTV found"});
    EXPECT_FALSE(controls().playListTable.isEnabled());
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), -1);
    EXPECT_TRUE(waitUntil([this] { return controls().playListTable.isEnabled(); }, 4s));
}

TEST_F(PlaybackTest, RowChosenBeforeAuthorizationOnlySendsAStop)
{
    connect();
    EXPECT_FALSE(orvanta.controller.tableViewShouldSelectRow(1));
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), 1);
    EXPECT_EQ(sent(), stopRequest);
    EXPECT_TRUE(controls().progressIndicator.isHidden());
}

TEST_F(PlaybackTest, RowChosenWhenAuthorizedStopsThenPlaysTheFileFromTheMediaServer)
{
    connect();
    orvanta.controller.setIsAuthorized(true);
    orvanta.controller.tableViewShouldSelectRow(0);
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.commandType() == "PlayCommand"; }));

    const QByteArray requests = sent();
    ASSERT_TRUE(requests.startsWith(stopRequest));
    EXPECT_EQ(requests.mid(stopRequest.size()),
              QStringLiteral("POST /play HTTP/1.1\r\nHost:127.0.0.1:%1\r\n"
                             "Content-Location: http://127.0.0.1:%2/Music/one%20two.mp3\r\n"
                             "Start-Position: 0\r\n\r\n")
                  .arg(peer.port())
                  .arg(orvanta.controller.mediaServerPort())
                  .toUtf8());
    EXPECT_NE(orvanta.controller.mediaServerPort(), 0) << "the connection started a media server";
    EXPECT_FALSE(controls().progressIndicator.isHidden());
    EXPECT_FALSE(controls().lblStartingInfo.isHidden());
    EXPECT_TRUE(controls().txtSongName.isHidden());
    EXPECT_EQ(controls().txtSongName.text(), "One");
    EXPECT_EQ(controls().txtAlbumName.text(), "One album");
    EXPECT_EQ(controls().btnPause.identifier(), "pause");
    EXPECT_TRUE(controls().btnPlay.isEnabled());
    EXPECT_TRUE(controls().playSlider.isEnabled());

    QFile recent(RecentDocuments::listPath());
    ASSERT_TRUE(recent.open(QIODevice::ReadOnly));
    EXPECT_TRUE(recent.readAll().contains("Music/one%20two.mp3"));
}

TEST_F(PlaybackTest, SecondRowWhileTheFirstStartsIsRefused)
{
    connect();
    orvanta.controller.setIsAuthorized(true);
    orvanta.controller.tableViewShouldSelectRow(0);
    runEventLoop(3100ms);
    orvanta.controller.tableViewShouldSelectRow(2);
    EXPECT_EQ(orvanta.prompter.alerts, QStringList{"You can not play another song while one is initialize"});
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), 0);
}

struct ButtonCase
{
    int items;
    qint64 index;
    bool previous;
    bool next;
};

class ButtonRules : public PlaybackTest, public testing::WithParamInterface<ButtonCase>
{};

TEST_P(ButtonRules, FollowThePositionInTheListWhenStartedAndWhenStepped)
{
    const ButtonCase c = GetParam();
    orvanta.controller.setArrPlayList(list.mid(0, c.items));
    connect();

    orvanta.controller.StartPlayingMusic(c.index);
    EXPECT_EQ(controls().btnPrevious.isEnabled(), c.previous);
    EXPECT_EQ(controls().btnNext.isEnabled(), c.next);

    report(QStringLiteral("215"), QStringLiteral("5"));
    orvanta.controller.setCurrentlyPlayingSongID(c.index == 0 ? c.items - 1 : c.index - 1);
    orvanta.controller.PlayNext();
    ASSERT_EQ(orvanta.controller.currentlyPlayingSongID(), c.index);
    runEventLoop(20ms);
    EXPECT_EQ(controls().btnPrevious.isEnabled(), c.previous) << "after stepping";
    EXPECT_EQ(controls().btnNext.isEnabled(), c.next) << "after stepping";
}

INSTANTIATE_TEST_SUITE_P(Positions, ButtonRules,
                         testing::Values(ButtonCase{1, 0, false, false}, ButtonCase{3, 0, false, true},
                                         ButtonCase{3, 1, true, true}, ButtonCase{3, 2, true, false}));

struct StepCase
{
    const char* name;
    qint64 from;
    bool next;
    qint64 to;
};

class Stepping : public PlaybackTest, public testing::WithParamInterface<StepCase>
{};

TEST_P(Stepping, WrapsAtBothEnds)
{
    connect();
    orvanta.controller.setCurrentlyPlayingSongID(GetParam().from);
    if (GetParam().next) {
        orvanta.controller.Next();
    } else {
        orvanta.controller.Previous();
    }
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), GetParam().to);
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.commandType() == "PlayCommand"; }));
    const QByteArray requests = sent();
    EXPECT_TRUE(requests.startsWith(stopRequest)) << "stepping stops the item before";
    EXPECT_TRUE(
        requests.contains(QUrl::toPercentEncoding(QFileInfo(list[GetParam().to].songPath).fileName())));
}

INSTANTIATE_TEST_SUITE_P(Ends, Stepping,
                         testing::Values(StepCase{"next_from_the_last", 2, true, 0},
                                         StepCase{"next_with_nothing_chosen", -1, true, 0},
                                         StepCase{"previous_from_the_first", 0, false, 2},
                                         StepCase{"previous_with_nothing_chosen", -1, false, 2}),
                         [](const testing::TestParamInfo<StepCase>& test) {
                             return std::string(test.param.name);
                         });

TEST_F(PlaybackTest, IndexThatNamesNoItemStartsNothingAndLeavesTheWindowAsItWas)
{
    connect();
    orvanta.controller.setArrPlayList({});
    orvanta.controller.Next();
    orvanta.controller.StartPlayingMusic(-1);
    orvanta.controller.StartPlayingMusic(7);
    EXPECT_TRUE(controls().progressIndicator.isHidden());
    EXPECT_FALSE(controls().btnPlay.isEnabled());
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), -1);
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(PlaybackTest, StepWhileStartingIsRefused)
{
    connect();
    orvanta.controller.StartPlayingMusic(0);
    orvanta.controller.Next();
    orvanta.controller.Previous();
    EXPECT_EQ(orvanta.prompter.alerts,
              QStringList(2, QStringLiteral("You can not play another song while one is initialize")));
}

TEST_F(PlaybackTest, StopActionEndsTheItemASecondAfterTheStopRequest)
{
    connect();
    orvanta.controller.setCurrentlyPlayingSongID(1);
    orvanta.controller.play();
    EXPECT_EQ(sent(), stopRequest);
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), 1);
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.currentlyPlayingSongID() == -1; }, 2s));
    EXPECT_TRUE(orvanta.controller.isPlayFinished());
    EXPECT_EQ(controls().btnPause.identifier(), "play");
    EXPECT_EQ(controls().btnPause.image(), "playBtn");
    EXPECT_FALSE(controls().btnPause.isEnabled());
}

TEST_F(PlaybackTest, ToggleSendsRateZeroThenRateOne)
{
    connect();
    orvanta.controller.pause();
    EXPECT_EQ(controls().btnPause.identifier(), "play");
    EXPECT_EQ(controls().btnPause.image(), "playBtn");
    EXPECT_EQ(sent(), "POST /rate?value=0.000000 HTTP/1.1\r\n" + agentA +
                          "Content-Length: 0\r\nContent-Type: text/parameters\r\n\r\n");
    orvanta.controller.pause();
    EXPECT_EQ(controls().btnPause.identifier(), "pause");
    EXPECT_EQ(controls().btnPause.image(), "pauseBtn");
    EXPECT_EQ(sent(), "POST /rate?value=1.000000 HTTP/1.1\r\n" + agentA +
                          "Content-Length: 0\r\nContent-Type: text/parameters\r\n\r\n");
}

TEST_F(PlaybackTest, ProgressReportsMoveTheWindowFromStartingToPlayingToFinished)
{
    struct Step
    {
        QString position;
        bool titleShown;
        bool indicatorShown;
        bool finished;
        QString time;
    };
    const Step steps[] = {
        {QStringLiteral("0.500000"), false, true, false, QStringLiteral("00:00 / 03:35")},
        {QStringLiteral("1.000000"), false, true, false, QStringLiteral("00:01 / 03:35")},
        {QStringLiteral("1.500000"), true, false, false, QStringLiteral("00:01 / 03:35")},
        {QStringLiteral("215.000000"), false, false, true, QStringLiteral("03:35 / 03:35")},
        {QStringLiteral("0.000000"), false, false, true, QStringLiteral("00:00 / 03:35")},
    };
    for (const Step& step : steps) {
        report(QStringLiteral("215.000000"), step.position);
        const std::string at = step.position.toStdString();
        EXPECT_EQ(!controls().txtSongName.isHidden(), step.titleShown) << at;
        EXPECT_EQ(!controls().txtAlbumName.isHidden(), step.titleShown) << at;
        EXPECT_EQ(!controls().progressIndicator.isHidden(), step.indicatorShown) << at;
        EXPECT_EQ(!controls().lblStartingInfo.isHidden(), step.indicatorShown) << at;
        EXPECT_EQ(orvanta.controller.isPlayFinished(), step.finished) << at;
        EXPECT_EQ(controls().txtDuration.text(), step.time) << at;
        EXPECT_EQ(controls().playSlider.maxValue(), 215.0) << at;
        EXPECT_EQ(controls().playSlider.doubleValue(), step.position.toDouble()) << at;
    }
    report(QStringLiteral("n/a"), QStringLiteral(""));
    EXPECT_EQ(controls().txtDuration.text(), "00:00 / 00:00");
    EXPECT_EQ(controls().playSlider.maxValue(), 0.0);
}

TEST_F(PlaybackTest, SeekGoesOutOnlyWhilePlayingAndCarriesSixDecimals)
{
    connect();
    controls().playSlider.setDoubleValue(12.5);
    orvanta.controller.seekPlayer();
    EXPECT_TRUE(sent().isEmpty()) << "nothing is under way";

    report(QStringLiteral("215"), QStringLiteral("5"));
    controls().playSlider.setDoubleValue(12.5);
    orvanta.controller.seekPlayer();
    EXPECT_EQ(sent(), QStringLiteral("POST /scrub?position=12.500000 HTTP/1.1 \r\nHost:127.0.0.1:%1\r\n")
                              .arg(peer.port())
                              .toUtf8() +
                          agentA + "Content-Type: text/parameters\r\n\r\n");
}

TEST_F(PlaybackTest, ProgressRequestHasNoLengthAndASpaceAfterTheVersion)
{
    connect();
    orvanta.controller.GetPlayBackProcess();
    EXPECT_TRUE(waitUntil([this] { return !peer.received(0).isEmpty(); }, 2s));
    EXPECT_EQ(sent(),
              QStringLiteral("GET /scrub HTTP/1.1 \r\nHost:127.0.0.1:%1\r\n").arg(peer.port()).toUtf8() +
                  agentA + "Content-Type: text/parameters\r\n\r\n");
    orvanta.controller.GetPlayBackProcess();
    runEventLoop(1200ms);
    EXPECT_TRUE(sent().isEmpty()) << "one progress request at a time: the first is still unanswered";
}

TEST(TimeFormatted, WritesMinutesAndHours)
{
    const std::pair<qint32, const char*> cases[] = {{0, "00:00"},       {59, "00:59"},      {3599, "59:59"},
                                                    {3600, "01:00:00"}, {3661, "01:01:01"}, {-4, "00:00"}};
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(AppDelegate::timeFormatted(seconds), text) << seconds;
    }
}

} // namespace
