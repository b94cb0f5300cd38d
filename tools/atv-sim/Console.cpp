#include "Console.h"

#include <cstdio>

void Console::event(std::string_view line)
{
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Console::diagnostic(std::string_view line)
{
    std::lock_guard lock(mutex_);
    std::fputs("atv-sim: ", stderr);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
