#pragma once

// Makes the logging facility (spdlog) write every statement to standard error.
void addConsoleLogger();
