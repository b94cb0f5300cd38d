#pragma once

// Hexadecimal text to bytes and back, for writing test vectors as the standards print them.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

inline std::vector<uint8_t> fromHex(std::string_view text)
{
    auto nibble = [](char c) -> uint8_t {
        if (c >= '0' && c <= '9') {
            return static_cast<uint8_t>(c - '0');
        }
        if (c >= 'a' && c <= 'f') {
            return static_cast<uint8_t>(c - 'a' + 10);
        }
        if (c >= 'A' && c <= 'F') {
            return static_cast<uint8_t>(c - 'A' + 10);
        }
        throw std::invalid_argument("not a hexadecimal digit");
    };
    if (text.size() % 2 != 0) {
        throw std::invalid_argument("odd number of hexadecimal digits");
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(nibble(text[i]) << 4 | nibble(text[i + 1])));
    }
    return bytes;
}

inline std::string toHex(const uint8_t* bytes, size_t length)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 15]);
    }
    return text;
}

inline std::string toHex(const std::vector<uint8_t>& bytes)
{
    return toHex(bytes.data(), bytes.size());
}
