#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Runs the simulated Apple TV (tools/atv-sim) as a child process for a test and reads what it
// prints on standard output. The child's standard input is a pipe that only this object
// holds, and it is started with --stdin-lifetime, so it ends with the test process at the
// latest. Standard error is inherited. Not thread-safe; use it from one thread.
class AtvSimProcess
{
public:
    using Duration = std::chrono::milliseconds;

    AtvSimProcess() = default;
    ~AtvSimProcess(); // stops the process if it still runs
    AtvSimProcess(const AtvSimProcess&) = delete;
    AtvSimProcess& operator=(const AtvSimProcess&) = delete;

    // $ATV_SIM when set, else the atv-sim this library was built with.
    static std::string programPath();

    // Starts `atv-sim --stdin-lifetime --listen 127.0.0.1:0 ARGS...` (a --listen in ARGS wins)
    // and waits for its "LISTENING <port>" line. False, with error() saying why, when the
    // program cannot be started or does not report in time; it is then stopped.
    bool start(const std::vector<std::string>& args = {}, Duration timeout = std::chrono::seconds(10));

    unsigned short port() const { return port_; }
    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0; }
    const std::string& error() const { return error_; }

    // Does not block: reads whatever the process has printed and gives the lines that have
    // arrived since the previous pollLines() (however they were read).
    std::vector<std::string> pollLines();
    // Blocks up to `timeout`: the earliest line starting with `prefix` that no earlier
    // waitForLine() has returned (each line is returned once). With a timeout of 0 it only
    // looks. None when no such line comes in time or the process has closed its output.
    std::optional<std::string> waitForLine(std::string_view prefix, Duration timeout);
    // Every line printed so far, "LISTENING" included.
    const std::vector<std::string>& lines() const { return lines_; }

    // Closes the child's standard input (it then exits by itself).
    void closeStdin();
    // Waits up to `timeout` for the process to end by itself: its exit status (or minus the
    // signal that ended it); none when it still runs.
    std::optional<int> waitForExit(Duration timeout);
    // SIGTERM, up to `timeout` to end, then SIGKILL. Its exit status, or minus the signal that
    // ended it; -1 when it was not running.
    int stop(Duration timeout = std::chrono::seconds(5));

private:
    void readAvailable();
    std::optional<std::string> findLine(std::string_view prefix);
    bool reap(int options);

    pid_t pid_ = -1;
    int stdinFd_ = -1;
    int stdoutFd_ = -1;
    bool outputClosed_ = false;
    std::optional<int> exitStatus_;
    unsigned short port_ = 0;
    std::string error_;
    std::string partial_;
    std::vector<std::string> lines_;
    std::vector<bool> taken_;
    std::size_t polled_ = 0;
};
