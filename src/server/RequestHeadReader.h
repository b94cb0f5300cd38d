#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Splits the bytes of a connection into the lines of one request head, enforcing the
// limits on a line's length and on the number of header lines. Lines end with CR LF or a
// bare LF; the terminator is not part of a line. Empty lines before the request line are
// skipped (and counted towards the limit); the empty line after it ends the head.
class RequestHeadReader
{
public:
    static constexpr std::size_t maxLineLength = 8190;
    static constexpr std::size_t maxHeaderLines = 100;

    enum class State
    {
        Reading,
        Complete,
        LineTooLong,
        TooManyLines
    };

    // Takes bytes until the head is complete or a limit is broken; returns how many it
    // took. Bytes after the head (a pipelined request) are left to the caller.
    std::size_t consume(std::string_view bytes);

    State state() const { return state_; }
    // Lines completed so far: the session restarts a line's time limit when it grows.
    std::size_t linesCompleted() const { return linesCompleted_; }
    // Whether any byte of a head has come (empty lines before the request line aside).
    bool hasStarted() const { return !lines_.empty() || !partial_.empty(); }
    // The request line, then the header lines, once Complete.
    const std::vector<std::string>& lines() const { return lines_; }

private:
    void endLine();

    State state_ = State::Reading;
    std::string partial_;
    std::vector<std::string> lines_;
    std::size_t linesCompleted_ = 0;
};
