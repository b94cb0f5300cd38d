#pragma once

#include "Faults.h"
#include "Receiver.h"

#include <string>

struct Options
{
    std::string listenAddress = "127.0.0.1";
    unsigned short listenPort = 7000;
    Receiver::Settings receiver;
    Faults faults;
    std::string recordPath;
    bool log = false;
    bool stdinLifetime = false;
};

// Reads the command line. Prints the help and exits with 0 for --help; prints what is wrong
// and exits with 2 for a bad command line.
Options parseOptions(int argc, char** argv);
