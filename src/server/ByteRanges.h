#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// One satisfiable range of a file: bytes `first` to `last`, both included.
struct ByteRange
{
    std::uint64_t first = 0;
    std::uint64_t last = 0;

    std::uint64_t length() const { return last - first + 1; }
    bool operator==(const ByteRange&) const = default;
};

// The ranges a "Range" header value asks for in a file of `fileLength` bytes, sorted by
// their first byte; nothing when the header is to be ignored and the whole file sent: no
// "=", a unit other than "bytes", an element that is malformed, overflows or lies outside
// the file (an empty suffix "-0" included), or two ranges that share a byte.
std::optional<std::vector<ByteRange>> parseRangeHeader(std::string_view value, std::uint64_t fileLength);
