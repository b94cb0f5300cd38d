#include "AtvSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

AtvSimProcess::~AtvSimProcess()
{
    stop();
}

std::string AtvSimProcess::programPath()
{
    if (const char* path = std::getenv("ATV_SIM"); path && *path)
        return path;
    return ATV_SIM_PROGRAM;
}

bool AtvSimProcess::start(const std::vector<std::string>& args, Duration timeout)
{
    stop();
    outputClosed_ = false;
    exitStatus_.reset();
    port_ = 0;
    error_.clear();
    partial_.clear();
    lines_.clear();
    taken_.clear();
    polled_ = 0;
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (pipe2(output, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        ::close(input[0]);
        ::close(input[1]);
        return false;
    }
    std::string program = programPath();
    std::vector<std::string> argv = {program, "--stdin-lifetime", "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    stdinFd_ = input[1];
    stdoutFd_ = output[0];
    fcntl(stdoutFd_, F_SETFL, fcntl(stdoutFd_, F_GETFL) | O_NONBLOCK);
    if (rc != 0) {
        pid_ = -1;
        error_ = "cannot start " + program + ": " + std::strerror(rc);
        return false;
    }

    std::optional<std::string> listening = waitForLine("LISTENING ", timeout);
    if (!listening) {
        error_ = program + " did not print LISTENING within " + std::to_string(timeout.count()) + " ms";
        stop();
        return false;
    }
    port_ = static_cast<unsigned short>(std::atoi(listening->c_str() + 10));
    return true;
}

void AtvSimProcess::readAvailable()
{
    if (stdoutFd_ < 0 || outputClosed_)
        return;
    char buffer[4096];
    while (true) {
        ssize_t n = ::read(stdoutFd_, buffer, sizeof buffer);
        if (n > 0) {
            partial_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            outputClosed_ = true;
        break;
    }
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        lines_.push_back(partial_.substr(start, end - start));
        taken_.push_back(false);
    }
    partial_.erase(0, start);
}

std::vector<std::string> AtvSimProcess::pollLines()
{
    readAvailable();
    std::vector<std::string> fresh(lines_.begin() + static_cast<std::ptrdiff_t>(polled_), lines_.end());
    polled_ = lines_.size();
    return fresh;
}

std::optional<std::string> AtvSimProcess::findLine(std::string_view prefix)
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!taken_[i] && lines_[i].starts_with(prefix)) {
            taken_[i] = true;
            return lines_[i];
        }
    }
    return std::nullopt;
}

std::optional<std::string> AtvSimProcess::waitForLine(std::string_view prefix, Duration timeout)
{
    Clock::time_point deadline = Clock::now() + timeout;
    while (true) {
        readAvailable();
        if (std::optional<std::string> line = findLine(prefix))
            return line;
        int left = remainingMs(deadline);
        if (outputClosed_ || left == 0)
            return std::nullopt;
        pollfd fd{stdoutFd_, POLLIN, 0};
        ::poll(&fd, 1, left);
    }
}

void AtvSimProcess::closeStdin()
{
    if (stdinFd_ >= 0)
        ::close(stdinFd_);
    stdinFd_ = -1;
}

bool AtvSimProcess::reap(int options)
{
    int status = 0;
    pid_t rc;
    do {
        rc = ::waitpid(pid_, &status, options);
    } while (rc < 0 && errno == EINTR);
    if (rc != pid_)
        return false;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    pid_ = -1;
    readAvailable();
    return true;
}

std::optional<int> AtvSimProcess::waitForExit(Duration timeout)
{
    if (pid_ <= 0)
        return exitStatus_;
    Clock::time_point deadline = Clock::now() + timeout;
    while (!reap(WNOHANG)) {
        if (remainingMs(deadline) == 0)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return exitStatus_;
}

int AtvSimProcess::stop(Duration timeout)
{
    int status = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        if (std::optional<int> ended = waitForExit(timeout)) {
            status = *ended;
        } else {
            ::kill(pid_, SIGKILL);
            reap(0);
            status = exitStatus_.value_or(-SIGKILL);
        }
    }
    closeStdin();
    if (stdoutFd_ >= 0)
        ::close(stdoutFd_);
    stdoutFd_ = -1;
    return status;
}
