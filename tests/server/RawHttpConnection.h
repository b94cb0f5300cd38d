#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One response as it came off the wire.
struct RawHttpResponse
{
    std::string statusLine;
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the only header of that name (compared without regard to case);
    // nothing when it is absent. Fails the test when it occurs more than once.
    std::optional<std::string> header(std::string_view name) const;
};

// A plain TCP connection to the server for exact bytes: what is sent is what the server
// reads, what comes back is parsed by hand. Reads give up after a few seconds.
class RawHttpConnection
{
public:
    explicit RawHttpConnection(std::uint16_t port, const std::string& address = "127.0.0.1",
                               int receiveBuffer = 0);
    ~RawHttpConnection();
    RawHttpConnection(const RawHttpConnection&) = delete;
    RawHttpConnection& operator=(const RawHttpConnection&) = delete;

    bool isConnected() const { return fd_ >= 0; }
    bool send(std::string_view bytes);
    // Reads one response; for a HEAD request the body is not read. Nothing when the
    // connection closes (or fails) before a whole response has come.
    std::optional<RawHttpResponse> readResponse(bool headRequest = false);
    // Reads at most `size` body bytes of a response being received.
    std::string readSome(std::size_t size);
    // True when the peer closes the connection before sending any further byte.
    bool closesWithoutData(std::chrono::milliseconds wait = std::chrono::seconds(10));
    // Reads until the peer closes; returns how many bytes came.
    std::uint64_t drainUntilClosed();
    void close();

private:
    bool fill();

    int fd_ = -1;
    std::string buffered_;
};

// Sends one request on a new connection and reads one response.
std::optional<RawHttpResponse> fetchOnce(std::uint16_t port, std::string_view request,
                                         bool headRequest = false);
