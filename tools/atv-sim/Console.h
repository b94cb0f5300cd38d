#pragma once

#include <mutex>
#include <string_view>

// The two output streams: events on standard output, one line each, flushed at once so that
// tests reading through a pipe see them; diagnostics on standard error. Any thread may write.
class Console
{
public:
    void event(std::string_view line);
    void diagnostic(std::string_view line);

private:
    std::mutex mutex_;
};
