#include "Player.h"

extern "C"
{
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <memory>
#include <utility>

namespace {

// A stalled media server ends the read after this long, with an error.
constexpr const char* readTimeoutMicroseconds = "10000000";

std::string describe(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

struct InputClose
{
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};

struct PacketFree
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

} // namespace

Player::Player(double speed, Console& console) : console_(console), clock_(speed) {}

Player::~Player()
{
    halt();
}

int Player::interrupted(void* player)
{
    return static_cast<Player*>(player)->abort_.load() ? 1 : 0;
}

void Player::halt()
{
    {
        std::lock_guard lock(mutex_);
        abort_ = true;
    }
    wake_.notify_all();
    if (reader_.joinable())
        reader_.join();
    abort_ = false;
}

void Player::play(const std::string& url, double startFraction)
{
    halt();
    {
        std::lock_guard lock(mutex_);
        clock_.reset();
        readerSeek_.reset();
    }
    reader_ = std::thread([this, url, startFraction] { read(url, startFraction); });
}

void Player::stop()
{
    halt();
    std::lock_guard lock(mutex_);
    clock_.reset();
    readerSeek_.reset();
}

void Player::setRate(double rate)
{
    std::lock_guard lock(mutex_);
    if (rate == 0)
        clock_.pause(PlaybackClock::Clock::now());
    else
        clock_.resume(PlaybackClock::Clock::now());
}

void Player::seek(double seconds)
{
    {
        std::lock_guard lock(mutex_);
        clock_.seek(seconds, PlaybackClock::Clock::now());
        readerSeek_ = seconds;
    }
    wake_.notify_all();
}

Player::Progress Player::progress() const
{
    std::lock_guard lock(mutex_);
    return {clock_.duration(), clock_.position(PlaybackClock::Clock::now())};
}

void Player::fail(const std::string& url, const std::string& error)
{
    if (abort_)
        return;
    {
        std::lock_guard lock(mutex_);
        clock_.reset();
    }
    console_.diagnostic("play " + url + ": " + error);
    console_.event("PLAY-ERROR " + url + " " + error);
}

void Player::read(const std::string& url, double startFraction)
{
    AVFormatContext* opening = avformat_alloc_context();
    if (!opening) {
        fail(url, "out of memory");
        return;
    }
    opening->interrupt_callback = {&Player::interrupted, this};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "rw_timeout", readTimeoutMicroseconds, 0);
    int rc = avformat_open_input(&opening, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) {
        fail(url, "cannot open: " + describe(rc));
        return;
    }
    std::unique_ptr<AVFormatContext, InputClose> format(opening);
    rc = avformat_find_stream_info(format.get(), nullptr);
    if (rc < 0) {
        fail(url, "cannot read stream information: " + describe(rc));
        return;
    }
    if (format->duration == AV_NOPTS_VALUE || format->duration <= 0) {
        fail(url, "the media has no duration");
        return;
    }
    double duration = static_cast<double>(format->duration) / AV_TIME_BASE;
    {
        std::lock_guard lock(mutex_);
        clock_.start(duration, startFraction * duration, PlaybackClock::Clock::now());
    }
    console_.event("PLAYING " + url + " " + std::to_string(duration));

    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!packet) {
        fail(url, "out of memory");
        return;
    }
    std::size_t packets = 0;
    while (!abort_) {
        std::optional<double> seekTo;
        {
            std::lock_guard lock(mutex_);
            seekTo = std::exchange(readerSeek_, std::nullopt);
        }
        if (seekTo) {
            packets = 0;
            auto timestamp = static_cast<std::int64_t>(*seekTo * AV_TIME_BASE);
            rc = av_seek_frame(format.get(), -1, timestamp, AVSEEK_FLAG_BACKWARD);
            if (rc < 0)
                console_.diagnostic("play " + url + ": seek to " + std::to_string(*seekTo) +
                                    " failed: " + describe(rc));
        }
        rc = av_read_frame(format.get(), packet.get());
        if (rc == AVERROR_EOF) {
            console_.event("READ-THROUGH " + url + " " + std::to_string(packets));
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return abort_ || readerSeek_.has_value(); });
            continue;
        }
        if (rc < 0) {
            fail(url, "read failed: " + describe(rc));
            return;
        }
        ++packets;
        av_packet_unref(packet.get());
    }
}
