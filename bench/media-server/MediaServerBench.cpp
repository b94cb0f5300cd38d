// Serves one file, as the media server does for the Apple TV, until SIGTERM or SIGINT.
// Prints the listening port on the first line of standard output.
//   media_server_bench FILE
#include "server/MediaServer.h"
#include "server/PublishedFiles.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>

#include <spdlog/spdlog.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: media_server_bench FILE\n";
        return 2;
    }
    spdlog::set_level(spdlog::level::warn);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const std::filesystem::path file = std::filesystem::absolute(argv[1]);
    auto published = std::make_shared<PublishedFiles>();
    published->replace(file.parent_path().string(), {file.string()});
    MediaServer server(published);
    if (const auto error = server.start()) {
        std::cerr << "Error starting HTTP Server: " << *error << "\n";
        return 1;
    }
    std::cout << server.port() << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}
