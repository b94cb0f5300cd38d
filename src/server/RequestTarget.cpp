#include "server/RequestTarget.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool hasDotSegment(std::string_view path)
{
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

std::optional<std::string> decodeRequestPath(std::string_view target)
{
    const std::string_view raw = target.substr(0, target.find_first_of("?#"));
    if (!raw.starts_with('/')) {
        return std::nullopt;
    }
    std::string path;
    path.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            path.push_back(raw[i]);
            continue;
        }
        const int high = i + 2 < raw.size() ? hexValue(raw[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(raw[i + 2]) : -1;
        if (low < 0) {
            return std::nullopt;
        }
        const char decoded = static_cast<char>(high * 16 + low);
        if (decoded == '/' || decoded == '\0') {
            return std::nullopt;
        }
        path.push_back(decoded);
        i += 2;
    }
    if (hasDotSegment(path)) {
        return std::nullopt;
    }
    return path;
}
