#pragma once

#include "server/MediaServer.h"
#include "server/PublishedFiles.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>

// What the listener and every session of one server share.
struct ServerContext
{
    static constexpr std::size_t maxConnections = 64;
    static constexpr std::chrono::seconds headWriteTimeout{30};

    std::shared_ptr<const PublishedFiles> published;
    MediaServerOptions options;
    std::atomic<std::size_t> connections{0};
};
