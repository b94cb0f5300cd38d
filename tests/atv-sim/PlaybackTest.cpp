// Playback: the player fetching a clip from a media server, and the position clock.

#include "AtvSimProcess.h"
#include "ClientRequests.h"
#include "MediaFileServer.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string commandOutput(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        ::pclose(pipe);
    }
    return out;
}

struct Progress
{
    std::string duration;
    std::string position;
};

Progress progress(SimClient& client)
{
    HttpReply reply = client.exchange(requests::poll());
    std::size_t newline = reply.body.find('\n');
    if (reply.status != 200 || !reply.body.starts_with("duration: ") || newline == std::string::npos ||
        reply.body.compare(newline + 1, 10, "position: ") != 0)
        return {};
    return {reply.body.substr(10, newline - 10), reply.body.substr(newline + 11)};
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

class AtvSimPlayback : public testing::Test
{
protected:
    // A three-second mp3 made once for all the tests here, and its duration as ffprobe
    // reads it.
    static void SetUpTestSuite()
    {
        std::string pattern = testing::TempDir() + "atv-sim-clip-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        clip_ = directory_ + "/clip.mp3";
        ASSERT_EQ(
            std::system(("ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration=3 -ac 1 "
                         "-b:a 64k '" +
                         clip_ + "'")
                            .c_str()),
            0);
        std::string probed =
            commandOutput("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + clip_ + "'");
        clipDuration_ = std::atof(probed.c_str());
        ASSERT_GT(clipDuration_, 2.9);
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(directory_); }

    static inline std::string directory_;
    static inline std::string clip_;
    static inline double clipDuration_ = 0;
};

TEST_F(AtvSimPlayback, PlaysTheClipWithRangedFetchesAndReportsItsDuration)
{
    MediaFileServer media("/Music/clip.mp3", clip_);
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());
    std::string url = media.url("/Music/clip.mp3");

    EXPECT_EQ(client.exchange(requests::play(url)).statusLine, "HTTP/1.1 200 OK");
    std::optional<std::string> playing = sim.waitForLine("PLAYING ", 10s);
    ASSERT_TRUE(playing);
    ASSERT_TRUE(playing->starts_with("PLAYING " + url + " "));
    std::string duration = playing->substr(("PLAYING " + url + " ").size());
    EXPECT_NEAR(std::atof(duration.c_str()), clipDuration_, 0.05);
    EXPECT_TRUE(sim.waitForLine("READ-THROUGH " + url, 10s));

    EXPECT_EQ(progress(client).duration, duration);
    bool ranged = false;
    for (const std::string& head : media.requestHeads())
        ranged = ranged || head.find("\r\nRange: bytes=") != std::string::npos;
    EXPECT_TRUE(ranged) << "the player fetches with Range requests";
}

TEST_F(AtvSimPlayback, PositionFollowsTheClockAtTheGivenSpeed)
{
    for (double speed : {0.5, 4.0}) {
        SCOPED_TRACE(speed);
        MediaFileServer media("/clip.mp3", clip_);
        AtvSimProcess sim;
        ASSERT_TRUE(sim.start({"--speed", std::to_string(speed)})) << sim.error();
        SimClient client(sim.port());

        Clock::time_point sent = Clock::now();
        ASSERT_EQ(client.exchange(requests::play(media.url("/clip.mp3"))).status, 200);
        ASSERT_TRUE(sim.waitForLine("PLAYING ", 10s));
        Clock::time_point seen = Clock::now();
        std::this_thread::sleep_for(300ms);
        Clock::time_point asked = Clock::now();
        double position = std::atof(progress(client).position.c_str());
        Clock::time_point answered = Clock::now();
        // The clock started after the play was sent and before its PLAYING line was seen.
        EXPECT_GE(position, speed * seconds(asked - seen) - 0.001);
        EXPECT_LE(position, speed * seconds(answered - sent) + 0.001);
    }
}

TEST_F(AtvSimPlayback, PauseSeekResumeStopAndTheEnd)
{
    MediaFileServer media("/clip.mp3", clip_);
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--speed", "5"})) << sim.error();
    SimClient client(sim.port());
    ASSERT_EQ(client.exchange(requests::play(media.url("/clip.mp3"))).status, 200);
    ASSERT_TRUE(sim.waitForLine("PLAYING ", 10s));
    ASSERT_TRUE(sim.waitForLine("READ-THROUGH ", 10s));

    ASSERT_EQ(client.exchange(requests::pause()).status, 200);
    Progress paused = progress(client);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(progress(client).position, paused.position) << "a paused position stands still";

    ASSERT_EQ(client.exchange(requests::seek(1.25)).status, 200);
    EXPECT_EQ(progress(client).position, "1.250000");

    ASSERT_EQ(client.exchange(requests::resume()).status, 200);
    std::this_thread::sleep_for(100ms);
    EXPECT_GT(std::atof(progress(client).position.c_str()), 1.25);

    Progress end;
    for (Clock::time_point limit = Clock::now() + 5s; Clock::now() < limit;
         std::this_thread::sleep_for(50ms)) {
        end = progress(client);
        if (end.position == end.duration)
            break;
    }
    EXPECT_EQ(end.position, end.duration) << "the position stops at the duration exactly";
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(progress(client).position, end.duration);

    ASSERT_EQ(client.exchange(requests::seek(0.5)).status, 200);
    EXPECT_TRUE(sim.waitForLine("READ-THROUGH ", 10s)) << "the player reads on from a seek";
    ASSERT_EQ(client.exchange(requests::stop()).status, 200);
    Progress stopped = progress(client);
    EXPECT_EQ(stopped.duration, "0.000000");
    EXPECT_EQ(stopped.position, "0.000000");
}

TEST_F(AtvSimPlayback, MediaThatCannotBeFetchedIsReported)
{
    MediaFileServer media("/clip.mp3", clip_);
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());
    std::string url = media.url("/missing.mp3");
    EXPECT_EQ(client.exchange(requests::play(url)).status, 200);
    std::optional<std::string> error = sim.waitForLine("PLAY-ERROR ", 10s);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->starts_with("PLAY-ERROR " + url + " ")) << *error;
    EXPECT_EQ(progress(client).duration, "0.000000");
}

} // namespace
