#include "Response.h"

#include <ctime>

namespace {

const char* reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    default:
        return "Internal Server Error";
    }
}

std::string httpDate()
{
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

} // namespace

Response Response::withStatus(int status)
{
    Response response;
    response.status = status;
    return response;
}

std::string Response::statusLine() const
{
    return "HTTP/1.1 " + std::to_string(status) + " " + reason(status);
}

std::string Response::serialize() const
{
    std::string out = statusLine() + "\r\n";
    out += "Date: " + httpDate() + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    if (!contentType.empty())
        out += "Content-Type: " + contentType + "\r\n";
    for (const auto& [name, value] : extraHeaders)
        out += name + ": " + value + "\r\n";
    out += "\r\n";
    out += asText(body);
    return out;
}
