#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A piece of a response body: the text `prefix`, then `length` bytes of the file from
// `offset` on.
struct BodySegment
{
    std::string prefix;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// A response as the session sends it: the head, written with a time limit, then the body
// segments, written without one.
struct Response
{
    int status = 0;
    std::string head;
    std::vector<BodySegment> body;
    bool keepAlive = false;
};

// "Fri, 11 Dec 2026 14:05:35 GMT": the time in GMT with English day and month names.
std::string httpDate(std::time_t time);

// 400, 404, 405 or 505: "Content-Length: 0", no body, "Connection: close" unless kept alive.
Response errorResponse(int status, bool keepAlive, std::time_t now);

// 200 with the whole file, or 206 with the ranges that `rangeHeader` asks for (one range,
// or several as multipart/byteranges with a fresh boundary). `headOnly` keeps the head of
// the same response and drops its body.
Response fileResponse(std::uint64_t fileLength, std::optional<std::string_view> rangeHeader, bool headOnly,
                      bool keepAlive, std::time_t now);
