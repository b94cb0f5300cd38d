#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Byte strings as the protocol moves them: owned buffers and read-only views.
using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline ByteView asBytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::string asText(ByteView bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

inline Bytes concat(std::initializer_list<ByteView> parts)
{
    Bytes out;
    for (ByteView part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::string toHex(ByteView bytes);
std::string toBase64(ByteView bytes);
