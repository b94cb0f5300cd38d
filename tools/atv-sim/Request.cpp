#include "Request.h"

#include <strings.h>

std::optional<std::string> Request::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), name.size()) == 0)
            return value;
    }
    return std::nullopt;
}

std::optional<std::string> Request::queryValue(std::string_view name) const
{
    std::string_view rest = query;
    while (!rest.empty()) {
        std::size_t amp = rest.find('&');
        std::string_view pair = rest.substr(0, amp);
        std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name)
            return std::string(equals == std::string_view::npos ? std::string_view()
                                                                : pair.substr(equals + 1));
        if (amp == std::string_view::npos)
            break;
        rest.remove_prefix(amp + 1);
    }
    return std::nullopt;
}
