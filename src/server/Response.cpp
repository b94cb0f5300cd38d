#include "server/Response.h"

#include "server/ByteRanges.h"

#include <array>
#include <cstdio>
#include <random>

namespace {

std::string_view reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Internal Server Error";
    }
}

std::string headStart(int status, std::time_t now)
{
    std::string head = "HTTP/1.1 " + std::to_string(status) + " ";
    head += reasonPhrase(status);
    head += "\r\nDate: " + httpDate(now) + "\r\nAccept-Ranges: bytes\r\n";
    return head;
}

std::string rangeText(const ByteRange& range, std::uint64_t fileLength)
{
    return "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" +
           std::to_string(fileLength);
}

// A random (version 4) UUID in its 36-character textual form.
std::string newBoundary()
{
    std::random_device device;
    std::array<unsigned char, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const unsigned int word = device();
        for (std::size_t j = 0; j < 4; ++j) {
            bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
        }
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3f) | 0x80);
    constexpr std::string_view hex = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(hex[bytes[i] >> 4]);
        text.push_back(hex[bytes[i] & 0x0f]);
    }
    return text;
}

} // namespace

std::string httpDate(std::time_t time)
{
    static constexpr std::array<const char*, 7> days = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts{};
    gmtime_r(&time, &parts);
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%s, %02d %s %d %02d:%02d:%02d GMT", days.at(parts.tm_wday),
                  parts.tm_mday, months.at(parts.tm_mon), parts.tm_year + 1900, parts.tm_hour, parts.tm_min,
                  parts.tm_sec);
    return text.data();
}

Response errorResponse(int status, bool keepAlive, std::time_t now)
{
    Response response;
    response.status = status;
    response.keepAlive = keepAlive;
    response.head = headStart(status, now) + "Content-Length: 0\r\n";
    if (!keepAlive) {
        response.head += "Connection: close\r\n";
    }
    response.head += "\r\n";
    return response;
}

Response fileResponse(std::uint64_t fileLength, std::optional<std::string_view> rangeHeader, bool headOnly,
                      bool keepAlive, std::time_t now)
{
    std::optional<std::vector<ByteRange>> ranges;
    if (rangeHeader) {
        ranges = parseRangeHeader(*rangeHeader, fileLength);
    }
    Response response;
    response.keepAlive = keepAlive;
    if (!ranges) {
        response.status = 200;
        response.head = headStart(200, now) + "Content-Length: " + std::to_string(fileLength) + "\r\n\r\n";
        if (fileLength > 0) {
            response.body.push_back({"", 0, fileLength});
        }
    } else if (ranges->size() == 1) {
        const ByteRange& range = ranges->front();
        response.status = 206;
        response.head = headStart(206, now) + "Content-Length: " + std::to_string(range.length()) +
                        "\r\nContent-Range: " + rangeText(range, fileLength) + "\r\n\r\n";
        response.body.push_back({"", range.first, range.length()});
    } else {
        const std::string boundary = newBoundary();
        std::uint64_t bodyLength = 0;
        for (const ByteRange& range : *ranges) {
            std::string partHead =
                "\r\n--" + boundary + "\r\nContent-Range: " + rangeText(range, fileLength) + "\r\n\r\n";
            bodyLength += partHead.size() + range.length();
            response.body.push_back({std::move(partHead), range.first, range.length()});
        }
        std::string closing = "\r\n--" + boundary + "--\r\n";
        bodyLength += closing.size();
        response.body.push_back({std::move(closing), 0, 0});
        response.status = 206;
        response.head = headStart(206, now) + "Content-Length: " + std::to_string(bodyLength) +
                        "\r\nContent-Type: multipart/byteranges; boundary=" + boundary + "\r\n\r\n";
    }
    if (headOnly) {
        response.body.clear();
    }
    return response;
}
