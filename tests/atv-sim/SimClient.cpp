#include "SimClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <strings.h>

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Takes one complete answer off the front of `bytes`, if there is one.
std::optional<HttpReply> takeReply(std::string& bytes)
{
    std::size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return std::nullopt;
    HttpReply reply;
    std::size_t lineEnd = bytes.find("\r\n");
    reply.statusLine = bytes.substr(0, lineEnd);
    if (reply.statusLine.size() >= 12)
        reply.status = std::atoi(reply.statusLine.c_str() + 9);
    std::size_t pos = lineEnd + 2;
    while (pos < headEnd) {
        std::size_t end = bytes.find("\r\n", pos);
        std::string line = bytes.substr(pos, end - pos);
        std::size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
        if (!value.empty() && value.front() == ' ')
            value.erase(0, 1);
        reply.headers.emplace_back(line.substr(0, colon), value);
        pos = end + 2;
    }
    std::size_t length = 0;
    if (std::optional<std::string> declared = reply.header("Content-Length"))
        length = std::stoul(*declared);
    std::size_t bodyStart = headEnd + 4;
    if (bytes.size() < bodyStart + length)
        return std::nullopt;
    reply.body = bytes.substr(bodyStart, length);
    reply.raw = bytes.substr(0, bodyStart + length);
    bytes.erase(0, bodyStart + length);
    return reply;
}

} // namespace

std::optional<std::string> HttpReply::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), name.size()) == 0)
            return value;
    }
    return std::nullopt;
}

SimClient::SimClient(unsigned short port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::string problem = std::strerror(errno);
        if (fd_ >= 0)
            ::close(fd_);
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port) + ": " + problem);
    }
}

SimClient::~SimClient()
{
    ::close(fd_);
}

void SimClient::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error(std::string("send failed: ") + std::strerror(errno));
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

bool SimClient::receive(Duration timeout)
{
    if (closed_)
        return false;
    pollfd fd{fd_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    char buffer[16 * 1024];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
        closed_ = true;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::optional<HttpReply> SimClient::readReply(Duration timeout)
{
    Clock::time_point deadline = Clock::now() + timeout;
    while (true) {
        if (std::optional<HttpReply> reply = takeReply(pending_))
            return reply;
        if (!receive(Duration(remainingMs(deadline))))
            return std::nullopt;
    }
}

HttpReply SimClient::exchange(std::string_view request)
{
    send(request);
    return readReply().value_or(HttpReply());
}

std::pair<std::optional<HttpReply>, std::size_t> SimClient::readReplyCountingReads(Duration timeout)
{
    Clock::time_point deadline = Clock::now() + timeout;
    std::size_t reads = 0;
    while (true) {
        if (std::optional<HttpReply> reply = takeReply(pending_))
            return {reply, reads};
        if (!receive(Duration(remainingMs(deadline))))
            return {std::nullopt, reads};
        ++reads;
    }
}

std::string SimClient::readFor(Duration window)
{
    Clock::time_point deadline = Clock::now() + window;
    while (remainingMs(deadline) > 0 && receive(Duration(remainingMs(deadline)))) {
    }
    return std::exchange(pending_, std::string());
}

bool SimClient::waitForClose(Duration timeout)
{
    Clock::time_point deadline = Clock::now() + timeout;
    while (!closed_ && remainingMs(deadline) > 0)
        receive(Duration(remainingMs(deadline)));
    return closed_;
}

std::string makeRequest(std::string_view method, std::string_view target,
                        const std::vector<std::pair<std::string, std::string>>& headers,
                        std::string_view body)
{
    std::string out = std::string(method) + " " + std::string(target) + " HTTP/1.1\r\n";
    for (const auto& [name, value] : headers)
        out += name + ": " + value + "\r\n";
    if (!body.empty())
        out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "\r\n";
    out += body;
    return out;
}
