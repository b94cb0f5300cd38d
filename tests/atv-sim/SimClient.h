#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One answer as the test reads it off the wire.
struct HttpReply
{
    std::string raw;
    std::string statusLine;
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::optional<std::string> header(std::string_view name) const;
};

// A plain TCP client for the simulator: writes hand-made request bytes, reads answers by
// their Content-Length. Throws std::runtime_error when it cannot connect.
class SimClient
{
public:
    using Duration = std::chrono::milliseconds;

    explicit SimClient(unsigned short port);
    ~SimClient();
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    void send(std::string_view bytes);
    // The next whole answer; none when it does not come in time or the connection closes.
    std::optional<HttpReply> readReply(Duration timeout = std::chrono::seconds(5));
    // The next whole answer and the number of reads it took to come.
    std::pair<std::optional<HttpReply>, std::size_t> readReplyCountingReads(Duration timeout);
    // Sends and reads the answer; a reply of status 0 when none came.
    HttpReply exchange(std::string_view request);
    // Whatever arrives within `window` (the bytes are consumed).
    std::string readFor(Duration window);
    // True when the peer closes the connection within `timeout`.
    bool waitForClose(Duration timeout);

private:
    // Reads once, waiting up to `timeout`; false on time-out or close.
    bool receive(Duration timeout);

    int fd_ = -1;
    bool closed_ = false;
    std::string pending_;
};

// "METHOD TARGET HTTP/1.1\r\n", the header lines, an empty line and the body, with a
// Content-Length when there is a body.
std::string makeRequest(std::string_view method, std::string_view target,
                        const std::vector<std::pair<std::string, std::string>>& headers = {},
                        std::string_view body = {});
