#include "server/ByteRanges.h"

#include "server/HttpText.h"

#include <algorithm>
#include <limits>

namespace {

// An unsigned decimal after optional leading white space; what follows its digits is
// ignored. Absent (nullopt with `present` false) when there are no digits; invalid
// (nullopt with `present` true) when it overflows 64 bits.
struct Number
{
    bool present = false;
    std::optional<std::uint64_t> value;
};

Number readNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && http_text::isWhiteSpace(text[i])) {
        ++i;
    }
    if (i == text.size() || !http_text::isDigit(text[i])) {
        return {};
    }
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (; i < text.size() && http_text::isDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (max - digit) / 10) {
            return {true, std::nullopt};
        }
        value = value * 10 + digit;
    }
    return {true, value};
}

std::optional<ByteRange> readElement(std::string_view element, std::uint64_t fileLength)
{
    const std::size_t dash = element.find('-');
    if (dash == std::string_view::npos) {
        const Number single = readNumber(element);
        if (!single.value || *single.value >= fileLength) {
            return std::nullopt;
        }
        return ByteRange{*single.value, *single.value};
    }
    const Number from = readNumber(element.substr(0, dash));
    const Number to = readNumber(element.substr(dash + 1));
    if ((from.present && !from.value) || (to.present && !to.value)) {
        return std::nullopt;
    }
    if (from.value && to.value) {
        if (*from.value > *to.value || *to.value >= fileLength) {
            return std::nullopt;
        }
        return ByteRange{*from.value, *to.value};
    }
    if (from.value) {
        if (*from.value >= fileLength) {
            return std::nullopt;
        }
        return ByteRange{*from.value, fileLength - 1};
    }
    if (to.value) {
        if (*to.value == 0 || *to.value > fileLength) {
            return std::nullopt;
        }
        return ByteRange{fileLength - *to.value, fileLength - 1};
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<ByteRange>> parseRangeHeader(std::string_view value, std::uint64_t fileLength)
{
    const std::size_t equals = value.find('=');
    if (equals == std::string_view::npos ||
        !http_text::equalsIgnoringCase(http_text::trimmed(value.substr(0, equals)), "bytes")) {
        return std::nullopt;
    }
    std::string_view elements = http_text::trimmed(value.substr(equals + 1));
    std::vector<ByteRange> ranges;
    while (true) {
        const std::size_t comma = elements.find(',');
        const std::optional<ByteRange> range = readElement(elements.substr(0, comma), fileLength);
        if (!range) {
            return std::nullopt;
        }
        ranges.push_back(*range);
        if (comma == std::string_view::npos) {
            break;
        }
        elements.remove_prefix(comma + 1);
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first <= ranges[i - 1].last) {
            return std::nullopt;
        }
    }
    return ranges;
}
