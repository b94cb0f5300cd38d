#include "PlaybackClock.h"

#include <algorithm>

void PlaybackClock::start(double duration, double start, Clock::time_point now)
{
    started_ = true;
    duration_ = duration;
    base_ = clamp(seekWhileLoading_.value_or(start));
    seekWhileLoading_.reset();
    since_ = now;
}

void PlaybackClock::reset()
{
    started_ = false;
    running_ = true;
    duration_ = 0;
    base_ = 0;
    seekWhileLoading_.reset();
}

void PlaybackClock::pause(Clock::time_point now)
{
    if (started_)
        base_ = position(now);
    running_ = false;
}

void PlaybackClock::resume(Clock::time_point now)
{
    if (!running_)
        since_ = now;
    running_ = true;
}

void PlaybackClock::seek(double position, Clock::time_point now)
{
    if (!started_) {
        seekWhileLoading_ = position;
        return;
    }
    base_ = clamp(position);
    since_ = now;
}

double PlaybackClock::position(Clock::time_point now) const
{
    if (!started_)
        return 0;
    if (!running_)
        return base_;
    std::chrono::duration<double> elapsed = now - since_;
    return clamp(base_ + speed_ * elapsed.count());
}

double PlaybackClock::clamp(double position) const
{
    return std::clamp(position, 0.0, duration_);
}
