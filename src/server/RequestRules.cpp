#include "server/RequestRules.h"

#include "server/HttpText.h"

#include <algorithm>

namespace {

bool hasToken(const RequestHead& head, std::string_view fieldName, std::string_view token)
{
    for (std::string_view value : head.values(fieldName)) {
        while (!value.empty()) {
            const std::size_t comma = value.find(',');
            if (http_text::equalsIgnoringCase(http_text::trimmed(value.substr(0, comma)), token)) {
                return true;
            }
            value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        }
    }
    return false;
}

bool isZero(std::string_view value)
{
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return c == '0'; });
}

} // namespace

RequestVerdict judgeRequest(const RequestHead& head)
{
    if (head.version != "HTTP/1.1" && head.version != "HTTP/1.0") {
        return {505, false};
    }
    const std::vector<std::string_view> lengths = head.values("Content-Length");
    const bool hasTransferEncoding = !head.values("Transfer-Encoding").empty();
    if (head.method != "GET" && head.method != "HEAD") {
        const bool expectsBody = head.method == "POST" || head.method == "PUT";
        const bool hasBody = hasToken(head, "Transfer-Encoding", "chunked") || !lengths.empty();
        return {expectsBody && !hasBody ? 400 : 405, false};
    }
    if (hasTransferEncoding || !std::all_of(lengths.begin(), lengths.end(), isZero)) {
        return {400, false};
    }
    if (head.version == "HTTP/1.1") {
        return {0, !hasToken(head, "Connection", "close")};
    }
    return {0, hasToken(head, "Connection", "keep-alive")};
}
