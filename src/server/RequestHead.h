#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HeaderField
{
    std::string name;
    std::string value; // without the white space around it
};

// One parsed request head: request line and header fields, in the order received.
struct RequestHead
{
    std::string method;
    std::string target;
    std::string version;
    std::vector<HeaderField> fields;

    // The values of every field named `name` (compared without regard to case).
    std::vector<std::string_view> values(std::string_view name) const;
};

// Parses the lines of a head (as RequestHeadReader gives them); nothing when the head is
// malformed: a request line that is not "METHOD SP target SP HTTP/d.d", a header line
// without a colon, a field name that is not a token, control characters, folded lines.
std::optional<RequestHead> parseRequestHead(const std::vector<std::string>& lines);
