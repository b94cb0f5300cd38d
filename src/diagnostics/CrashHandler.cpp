#include "diagnostics/CrashHandler.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Signal handlers get no context, so what they need is prepared here once, at install
// time: the report folder as a C string and an alternate stack for stack overflows.
std::array<char, 4096> reportFolder{};
std::array<char, 64 * 1024> alternateStack{};

constexpr int fatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

void writeText(int fd, const char* text)
{
    size_t left = strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(fd, text, left);
        if (written <= 0) {
            return;
        }
        text += written;
        left -= static_cast<size_t>(written);
    }
}

// Async-signal-safe decimal formatting into a caller's buffer.
const char* decimal(unsigned long value, std::array<char, 24>& buffer)
{
    size_t at = buffer.size() - 1;
    buffer[at] = '\0';
    do {
        buffer[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && at > 0);
    return buffer.data() + at;
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

void writeReport(int fd, int signal)
{
    std::array<char, 24> number{};
    writeText(fd, "Orvanta ended on ");
    writeText(fd, signalName(signal));
    writeText(fd, " (signal ");
    writeText(fd, decimal(static_cast<unsigned long>(signal), number));
    writeText(fd, ")\nBacktrace:\n");
    void* frames[64];
    const int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);
}

// Async-signal-safe bounded concatenation.
template <size_t N>
void append(std::array<char, N>& buffer, const char* text)
{
    size_t at = strnlen(buffer.data(), N - 1);
    while (*text != '\0' && at < N - 1) {
        buffer[at++] = *text++;
    }
    buffer[at] = '\0';
}

void onFatalSignal(int signal)
{
    std::array<char, 4096 + 64> path{};
    std::array<char, 24> number{};
    append(path, reportFolder.data());
    append(path, "/crash-");
    append(path, decimal(static_cast<unsigned long>(time(nullptr)), number));
    append(path, "-");
    append(path, decimal(static_cast<unsigned long>(getpid()), number));
    append(path, ".txt");

    const int fd = ::open(path.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        writeReport(fd, signal);
        ::close(fd);
        writeText(STDERR_FILENO, "Orvanta crashed; the report is in ");
        writeText(STDERR_FILENO, path.data());
        writeText(STDERR_FILENO, "\n");
    }
    writeReport(STDERR_FILENO, signal);

    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

std::string stateFolder()
{
    if (const char* state = getenv("XDG_STATE_HOME"); state && *state == '/') {
        return state;
    }
    const char* home = getenv("HOME");
    return std::string(home ? home : "") + "/.local/state";
}

void makeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0700);
    }
    mkdir(path.c_str(), 0700);
}

} // namespace

void installCrashHandler()
{
    const std::string folder = stateFolder() + "/orvanta/crashes";
    makeFolders(folder);
    memcpy(reportFolder.data(), folder.c_str(), std::min(folder.size(), reportFolder.size() - 1));

    // The first backtrace() loads the unwinder, which allocates: do it now, not in a handler.
    void* frame[1];
    backtrace(frame, 1);

    stack_t stack{};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    sigaltstack(&stack, nullptr);

    struct sigaction action{};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : fatalSignals) {
        sigaction(signal, &action, nullptr);
    }
}
