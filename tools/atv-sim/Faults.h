#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// Misbehaviour on request, so that tests can see how a client copes.
struct Faults
{
    std::size_t fragments = 1;          // each write in this many pieces, with a pause between them
    bool coalesce = false;              // hold an answer back and write it together with the next one
    std::size_t closeAfter = 0;         // close a connection once its N-th request is answered; 0: never
    std::vector<std::string> dropPaths; // requests for these paths are read but never answered
    bool garbage = false;               // the first answer of the run is replaced by random bytes

    static constexpr std::chrono::milliseconds fragmentPause{20};
    // A held answer goes out alone when no other follows within this time.
    static constexpr std::chrono::milliseconds coalesceLimit{1000};
};
