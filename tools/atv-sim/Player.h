#pragma once

#include "Console.h"
#include "PlaybackClock.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// The receiver's player: opens a play's URL with libavformat on a thread of its own, as a
// media player does (ranged GETs over HTTP), takes the duration and reads the stream through,
// then waits for a seek to read on from there. Prints "PLAYING <url> <duration>" once the
// duration is known, "READ-THROUGH <url> <packets>" at the end of the stream, and
// "PLAY-ERROR <url> <error>" when opening or reading fails.
class Player
{
public:
    Player(double speed, Console& console);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Replaces whatever plays. `startFraction` is the start as a fraction of the duration.
    void play(const std::string& url, double startFraction);
    void stop();
    // 0 pauses; any other rate resumes.
    void setRate(double rate);
    void seek(double seconds);

    struct Progress
    {
        double duration;
        double position;
    };
    Progress progress() const;

private:
    void read(const std::string& url, double startFraction);
    void fail(const std::string& url, const std::string& error);
    void halt();
    static int interrupted(void* player);

    Console& console_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    PlaybackClock clock_;
    std::optional<double> readerSeek_;
    std::atomic<bool> abort_{false};
    std::thread reader_;
};
