#include "RawHttpConnection.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

constexpr int readTimeoutSeconds = 10;

} // namespace

std::optional<std::string> RawHttpResponse::header(std::string_view name) const
{
    std::optional<std::string> found;
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            EXPECT_FALSE(found.has_value()) << "header " << name << " occurs twice";
            found = value;
        }
    }
    return found;
}

RawHttpConnection::RawHttpConnection(std::uint16_t port, const std::string& address, int receiveBuffer)
{
    const bool v6 = address.find(':') != std::string::npos;
    fd_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        return;
    }
    if (receiveBuffer > 0) {
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    timeval timeout{readTimeoutSeconds, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    int connected = -1;
    if (v6) {
        sockaddr_in6 peer{};
        peer.sin6_family = AF_INET6;
        peer.sin6_port = htons(port);
        ::inet_pton(AF_INET6, address.c_str(), &peer.sin6_addr);
        connected = ::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    } else {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
        connected = ::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    }
    if (connected != 0) {
        close();
    }
}

RawHttpConnection::~RawHttpConnection()
{
    close();
}

void RawHttpConnection::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool RawHttpConnection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool RawHttpConnection::fill()
{
    char chunk[65536];
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
        return false;
    }
    buffered_.append(chunk, static_cast<std::size_t>(got));
    return true;
}

std::optional<RawHttpResponse> RawHttpConnection::readResponse(bool headRequest)
{
    std::size_t headEnd;
    while ((headEnd = buffered_.find("\r\n\r\n")) == std::string::npos) {
        if (!fill()) {
            return std::nullopt;
        }
    }
    RawHttpResponse response;
    const std::string head = buffered_.substr(0, headEnd + 2);
    buffered_.erase(0, headEnd + 4);
    std::size_t lineStart = 0;
    while (lineStart < head.size()) {
        const std::size_t lineEnd = head.find("\r\n", lineStart);
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (response.statusLine.empty()) {
            response.statusLine = line;
            response.status = std::stoi(line.substr(9, 3));
            continue;
        }
        const std::size_t colon = line.find(':');
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        response.headers.emplace_back(line.substr(0, colon), value);
    }
    const std::optional<std::string> length = response.header("Content-Length");
    const std::size_t bodyLength = (length && !headRequest) ? std::stoull(*length) : 0;
    while (buffered_.size() < bodyLength) {
        if (!fill()) {
            return std::nullopt;
        }
    }
    response.body = buffered_.substr(0, bodyLength);
    buffered_.erase(0, bodyLength);
    return response;
}

std::string RawHttpConnection::readSome(std::size_t size)
{
    if (buffered_.empty()) {
        fill();
    }
    const std::string some = buffered_.substr(0, size);
    buffered_.erase(0, some.size());
    return some;
}

bool RawHttpConnection::closesWithoutData(std::chrono::milliseconds wait)
{
    if (!buffered_.empty()) {
        return false;
    }
    pollfd descriptor{fd_, POLLIN, 0};
    if (::poll(&descriptor, 1, static_cast<int>(wait.count())) != 1) {
        return false;
    }
    char byte;
    const ssize_t got = ::recv(fd_, &byte, 1, 0);
    return got == 0 || (got < 0 && errno == ECONNRESET);
}

std::uint64_t RawHttpConnection::drainUntilClosed()
{
    std::uint64_t total = buffered_.size();
    buffered_.clear();
    char chunk[65536];
    while (true) {
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got <= 0) {
            return total;
        }
        total += static_cast<std::uint64_t>(got);
    }
}

std::optional<RawHttpResponse> fetchOnce(std::uint16_t port, std::string_view request, bool headRequest)
{
    RawHttpConnection connection(port);
    if (!connection.isConnected() || !connection.send(request)) {
        return std::nullopt;
    }
    return connection.readResponse(headRequest);
}
