#pragma once

#include <cstdio>
#include <string>

// The request texts our client sends, byte for byte, with a Host value of a resolved
// "living-room.local." on port 7000.
namespace requests {

inline const std::string userAgentA = "iTunes/12.7 (Macintosh; Intel Mac OS X 10.13.1) AppleWebKit/535.18.5";
inline const std::string userAgentB = "iTunes/12.6.1 (Macintosh; Intel Mac OS X 12.6) AppleWebKit/534.20.8";

inline std::string poll()
{
    return "GET /scrub HTTP/1.1 \r\nHost:living-room.local:7000\r\nUser-Agent: " + userAgentA +
           "\r\nContent-Type: text/parameters\r\n\r\n";
}

inline std::string seek(double position)
{
    char line[96];
    std::snprintf(line, sizeof line, "POST /scrub?position=%f HTTP/1.1 ", position);
    return std::string(line) + "\r\nHost:living-room.local:7000\r\nUser-Agent: " + userAgentA +
           "\r\nContent-Type: text/parameters\r\n\r\n";
}

inline std::string blockA(const std::string& requestLine)
{
    return requestLine + "\r\nUser-Agent: " + userAgentA +
           "\r\nContent-Length: 0\r\nContent-Type: text/parameters\r\n\r\n";
}

inline std::string resume()
{
    return blockA("POST /rate?value=1.000000 HTTP/1.1");
}
inline std::string pause()
{
    return blockA("POST /rate?value=0.000000 HTTP/1.1");
}
inline std::string stop()
{
    return blockA("POST /stop HTTP/1.1");
}

inline std::string play(const std::string& url)
{
    return "POST /play HTTP/1.1\r\nHost:living-room.local:7000\r\nContent-Location: " + url +
           "\r\nStart-Position: 0\r\n\r\n";
}

// The stop that carries a Digest answer, with its fields given.
inline std::string authorizedStop(const std::string& user, const std::string& realm, const std::string& nonce,
                                  const std::string& uri, const std::string& response)
{
    return "POST /stop HTTP/1.1 \r\nHost: living-room.local:7000\r\nUser-Agent: " + userAgentB +
           "\r\nContent-Length: 0\r\nAuthorization: Digest username=\"" + user + "\", realm=\"" + realm +
           "\", nonce=\"" + nonce + "\", uri=\"" + uri + "\", algorithm=\"MD5\", response=\"" + response +
           "\"\r\nContent-Type: application/x-apple-binary-plist \r\n\r\n";
}

} // namespace requests
