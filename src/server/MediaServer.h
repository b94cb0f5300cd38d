#pragma once

#include "server/PublishedFiles.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct MediaServerOptions
{
    // How long a line of a request head may take to arrive, and the whole head.
    std::chrono::milliseconds lineTimeout = std::chrono::seconds(30);
    std::chrono::milliseconds headTimeout = std::chrono::seconds(60);
};

// The local HTTP/1.1 server from which the Apple TV fetches the published files, with
// byte ranges. It listens on every interface (IPv6 and IPv4) on a port the system picks,
// and serves on threads of its own. Destroying it (or stop()) closes the listener and
// every connection, a transfer in progress included.
class MediaServer
{
public:
    explicit MediaServer(std::shared_ptr<const PublishedFiles> published, MediaServerOptions options = {});
    ~MediaServer();
    MediaServer(const MediaServer&) = delete;
    MediaServer& operator=(const MediaServer&) = delete;

    // Starts listening and serving. Nothing on success, otherwise why it failed.
    std::optional<std::string> start();
    void stop();

    // The listening port; 0 while not running. Safe from any thread.
    std::uint16_t port() const { return port_.load(); }

private:
    class Running;

    std::shared_ptr<const PublishedFiles> published_;
    MediaServerOptions options_;
    std::unique_ptr<Running> running_;
    std::atomic<std::uint16_t> port_{0};
};
