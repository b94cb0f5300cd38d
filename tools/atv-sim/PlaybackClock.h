#pragma once

#include <chrono>
#include <optional>

// The position the receiver reports. Idle (0 / 0) until a play has told it the duration;
// then the position runs with the clock, `speed` times faster, from the start position, and
// stops at the duration, where it equals the duration exactly.
class PlaybackClock
{
public:
    using Clock = std::chrono::steady_clock;

    explicit PlaybackClock(double speed) : speed_(speed) {}

    // Back to idle; also the state of a play whose duration is not known yet. A pause or seek
    // made then takes effect when the play starts.
    void reset();
    // The duration is known: the position starts at `start` (or at a seek made while loading).
    void start(double duration, double start, Clock::time_point now);

    void pause(Clock::time_point now);
    void resume(Clock::time_point now);
    void seek(double position, Clock::time_point now);

    double duration() const { return duration_; }
    double position(Clock::time_point now) const;

private:
    double clamp(double position) const;

    double speed_;
    bool started_ = false;
    bool running_ = true;
    double duration_ = 0;
    double base_ = 0;
    std::optional<double> seekWhileLoading_;
    Clock::time_point since_;
};
