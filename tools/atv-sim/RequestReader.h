#pragma once

#include "Request.h"

#include <string>

// Splits a connection's incoming bytes into requests. Lenient about what clients send: extra
// spaces after the version, no space after a header colon, header names in any case, bare LF
// line ends. A body is read by Content-Length; there is none without one. Several requests
// may come in one read, and one request over several.
class RequestReader
{
public:
    enum class Status
    {
        NeedMore,
        Ready,
        Malformed
    };

    void append(const char* data, std::size_t size) { buffer_.append(data, size); }

    // Takes the next complete request off the buffer into `request`. After Malformed the
    // connection cannot be read further; `problem` says why.
    Status next(Request& request, std::string& problem);

    static constexpr std::size_t maxHeadSize = 64 * 1024;
    static constexpr std::size_t maxBodySize = 4 * 1024 * 1024;

private:
    std::string buffer_;
};
