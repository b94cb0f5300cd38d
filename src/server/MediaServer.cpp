#include "server/MediaServer.h"

#include "server/Listener.h"
#include "server/ServerContext.h"

#include <algorithm>
#include <csignal>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <pthread.h>
#include <spdlog/spdlog.h>

namespace {

// Serving threads: enough for a few transfers at once; sendfile leaves the copying to the kernel.
unsigned int threadCount()
{
    return std::clamp(std::thread::hardware_concurrency(), 2U, 4U);
}

// sendfile(2) has no MSG_NOSIGNAL: a peer that has gone raises SIGPIPE in the thread that
// writes. Blocked in the serving threads, it turns into EPIPE there and leaves the rest of
// the process alone.
void blockSigpipeInThisThread()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

} // namespace

// A started server: its event loop, listener and threads. Destroying it after the loop has
// stopped destroys every pending handler and so every session, which closes its socket.
class MediaServer::Running
{
public:
    boost::asio::io_context io;
    std::shared_ptr<Listener> listener;
    std::vector<std::thread> threads;

    ~Running()
    {
        io.stop();
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
};

MediaServer::MediaServer(std::shared_ptr<const PublishedFiles> published, MediaServerOptions options)
    : published_(std::move(published)), options_(options)
{
}

MediaServer::~MediaServer()
{
    stop();
}

std::optional<std::string> MediaServer::start()
{
    if (running_) {
        return "the server is already running";
    }
    if (!published_) {
        return "no set of published files was given";
    }
    auto context = std::make_shared<ServerContext>();
    context->published = published_;
    context->options = options_;
    auto running = std::make_unique<Running>();
    running->listener = std::make_shared<Listener>(running->io, context);
    if (std::optional<std::string> error = running->listener->open()) {
        return error;
    }
    const std::uint16_t listeningPort = running->listener->port();
    running->listener->accept();
    for (unsigned int i = 0; i < threadCount(); ++i) {
        running->threads.emplace_back([&io = running->io] {
            blockSigpipeInThisThread();
            io.run();
        });
    }
    running_ = std::move(running);
    port_ = listeningPort;
    spdlog::info("Media server: listening on port {}", listeningPort);
    return std::nullopt;
}

void MediaServer::stop()
{
    if (!running_) {
        return;
    }
    port_ = 0;
    running_.reset();
}
