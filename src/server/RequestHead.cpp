#include "server/RequestHead.h"

#include "server/HttpText.h"

#include <algorithm>

namespace {

bool isToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), http_text::isTokenChar);
}

// Bytes that never stand in a request line or a field value (HT is allowed in values).
bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7f;
}

bool isVersion(std::string_view text)
{
    return text.size() == 8 && text.starts_with("HTTP/") && http_text::isDigit(text[5]) && text[6] == '.' &&
           http_text::isDigit(text[7]);
}

bool parseRequestLine(std::string_view line, RequestHead& head)
{
    if (std::any_of(line.begin(), line.end(), [](char c) { return isControl(c) || c == '\t'; })) {
        return false;
    }
    const std::size_t firstSpace = line.find(' ');
    const std::size_t lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace) {
        return false;
    }
    const std::string_view method = line.substr(0, firstSpace);
    const std::string_view target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const std::string_view version = line.substr(lastSpace + 1);
    if (!isToken(method) || target.empty() || target.find(' ') != std::string_view::npos ||
        !isVersion(version)) {
        return false;
    }
    head.method = method;
    head.target = target;
    head.version = version;
    return true;
}

bool parseField(std::string_view line, RequestHead& head)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    if (!isToken(name) || std::any_of(value.begin(), value.end(), isControl)) {
        return false;
    }
    head.fields.push_back({std::string(name), std::string(http_text::trimmed(value))});
    return true;
}

} // namespace

std::vector<std::string_view> RequestHead::values(std::string_view name) const
{
    std::vector<std::string_view> found;
    for (const HeaderField& field : fields) {
        if (http_text::equalsIgnoringCase(field.name, name)) {
            found.push_back(field.value);
        }
    }
    return found;
}

std::optional<RequestHead> parseRequestHead(const std::vector<std::string>& lines)
{
    RequestHead head;
    if (lines.empty() || !parseRequestLine(lines.front(), head)) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!parseField(lines[i], head)) {
            return std::nullopt;
        }
    }
    return head;
}
