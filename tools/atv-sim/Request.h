#pragma once

#include "Bytes.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// One request as it came off the wire.
struct Request
{
    std::string raw;  // the exact bytes, request line to the end of the body
    std::string line; // the request line without its line end, trailing spaces kept
    std::string method;
    std::string target;                                       // path and query, as sent
    std::string path;                                         // target up to "?"
    std::string query;                                        // after "?", or empty
    std::vector<std::pair<std::string, std::string>> headers; // values trimmed
    Bytes body;

    // The first header of that name, compared without regard to case.
    std::optional<std::string> header(std::string_view name) const;
    // The value of a query parameter ("position" in "/scrub?position=1.5").
    std::optional<std::string> queryValue(std::string_view name) const;
};
