// atv-sim: a simulated Apple TV for tests and demonstrations. `atv-sim --help` tells how to
// use it.

#include "Console.h"
#include "Options.h"
#include "SimServer.h"

extern "C"
{
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <csignal>
#include <exception>

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    Options options = parseOptions(argc, argv);
    Console console;
    av_log_set_level(AV_LOG_ERROR);
    avformat_network_init();
    int status = 0;
    try {
        SimServer server(options, console);
        console.event("LISTENING " + std::to_string(server.port()));
        server.run();
    } catch (const std::exception& e) {
        console.diagnostic(e.what());
        status = 1;
    }
    avformat_network_deinit();
    return status;
}
