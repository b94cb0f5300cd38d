#include "server/RequestHeadReader.h"

#include <algorithm>

std::size_t RequestHeadReader::consume(std::string_view bytes)
{
    std::size_t taken = 0;
    while (state_ == State::Reading && taken < bytes.size()) {
        const std::string_view rest = bytes.substr(taken);
        const std::size_t newline = rest.find('\n');
        const std::string_view piece = rest.substr(0, newline);
        // A line may be followed by the CR of its terminator, hence one byte of slack.
        if (partial_.size() + piece.size() > maxLineLength + 1) {
            state_ = State::LineTooLong;
            return taken + std::min(piece.size(), maxLineLength + 1 - partial_.size());
        }
        partial_.append(piece);
        if (newline == std::string_view::npos) {
            if (partial_.size() > maxLineLength && !partial_.ends_with('\r')) {
                state_ = State::LineTooLong;
            }
            return bytes.size();
        }
        taken += newline + 1;
        endLine();
    }
    return taken;
}

void RequestHeadReader::endLine()
{
    if (partial_.ends_with('\r')) {
        partial_.pop_back();
    }
    ++linesCompleted_;
    if (partial_.size() > maxLineLength) {
        state_ = State::LineTooLong;
        return;
    }
    if (partial_.empty() && !lines_.empty()) {
        state_ = State::Complete;
        return;
    }
    // The request line and at most 100 header lines (empty lines before it count too).
    if (linesCompleted_ > maxHeaderLines + 1) {
        state_ = State::TooManyLines;
        return;
    }
    if (partial_.empty()) {
        return;
    }
    lines_.push_back(std::move(partial_));
    partial_.clear();
}
