#pragma once

#include "support/QtPrinters.h"
#include <chrono>
#include <functional>

// Runs the Qt event loop until the condition holds or the time is up; tells which.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Runs the Qt event loop for a while.
void runEventLoop(std::chrono::milliseconds duration);
