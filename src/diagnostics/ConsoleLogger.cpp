#include "diagnostics/ConsoleLogger.h"

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

void addConsoleLogger()
{
    if (spdlog::get("orvanta")) {
        return;
    }
    auto logger = spdlog::stderr_color_mt("orvanta");
    logger->set_level(spdlog::level::info);
    spdlog::set_default_logger(std::move(logger));
}
