#include "server/ByteRanges.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

void PrintTo(const ByteRange& range, std::ostream* out)
{
    *out << range.first << "-" << range.last;
}

namespace {

struct RangeCase
{
    const char* value;
    std::uint64_t fileLength;
    std::optional<std::vector<ByteRange>> expected; // nothing: the header is ignored
};

using Ranges = std::vector<ByteRange>;

const RangeCase rangeCases[] = {
    {"bytes=0-99", 1000, Ranges{{0, 99}}},
    {"bytes=900-", 1000, Ranges{{900, 999}}},
    {"bytes=-100", 1000, Ranges{{900, 999}}},
    {"bytes=-1000", 1000, Ranges{{0, 999}}},
    {"bytes=5", 1000, Ranges{{5, 5}}},
    {"bytes=999-999", 1000, Ranges{{999, 999}}},
    {"bytes=0-", 1, Ranges{{0, 0}}},
    {"  BYTES =  0-9 ", 1000, Ranges{{0, 9}}},
    {"Bytes=0-9", 1000, Ranges{{0, 9}}},
    {"bytes=500-599,0-99", 1000, Ranges{{0, 99}, {500, 599}}},
    {"bytes=0-9,10-19", 1000, Ranges{{0, 9}, {10, 19}}},
    {"bytes=0-9, 20-29,\t40-49", 1000, Ranges{{0, 9}, {20, 29}, {40, 49}}},
    {"bytes=-10,0-9", 1000, Ranges{{0, 9}, {990, 999}}},
    // Leading white space and anything after the digits are tolerated.
    {"bytes= 7x-9y", 1000, Ranges{{7, 9}}},
    {"bytes=0-1-2", 1000, Ranges{{0, 1}}},
    // A side without digits is absent: "+5-9" reads as the suffix "-9".
    {"bytes=+5-9", 1000, Ranges{{991, 999}}},
    {"bytes=18446744073709551615-", std::numeric_limits<std::uint64_t>::max(),
     std::nullopt}, // the first byte must lie inside the file
    {"bytes=0-18446744073709551614", std::numeric_limits<std::uint64_t>::max(),
     Ranges{{0, 18446744073709551614ULL}}},
    // Ignored: the whole file is sent.
    {"bytes=1000-", 1000, std::nullopt},
    {"bytes=0-1000", 1000, std::nullopt},
    {"bytes=1000", 1000, std::nullopt},
    {"bytes=-1001", 1000, std::nullopt},
    {"bytes=-0", 1000, std::nullopt},
    {"bytes=-0", 0, std::nullopt},
    {"bytes=0-", 0, std::nullopt},
    {"bytes=10-5", 1000, std::nullopt},
    {"items=0-10", 1000, std::nullopt},
    {"bytes 0-10", 1000, std::nullopt},
    {"bytes=0-10,5-20", 1000, std::nullopt},
    {"bytes=0-10,10-20", 1000, std::nullopt},
    {"bytes=0-9,0-9", 1000, std::nullopt},
    {"bytes=0-9,", 1000, std::nullopt},
    {"bytes=,0-9", 1000, std::nullopt},
    {"bytes=", 1000, std::nullopt},
    {"bytes=-", 1000, std::nullopt},
    {"bytes=x-y", 1000, std::nullopt},
    {"bytes=18446744073709551616-", 1000, std::nullopt},
    {"bytes=0-18446744073709551616", 1000, std::nullopt},
    {"bytes=-99999999999999999999999", 1000, std::nullopt},
};

TEST(ByteRanges, ParsesTheHeaderOrIgnoresIt)
{
    for (const RangeCase& c : rangeCases) {
        EXPECT_EQ(parseRangeHeader(c.value, c.fileLength), c.expected)
            << "Range: " << c.value << " on " << c.fileLength << " bytes";
    }
}

TEST(ByteRanges, ManyRangesAreSortedAndCheckedForOverlap)
{
    std::string value = "bytes=";
    for (int i = 999; i >= 0; --i) {
        value += std::to_string(i * 2) + "-" + std::to_string(i * 2) + (i > 0 ? "," : "");
    }
    const auto ranges = parseRangeHeader(value, 2000);
    ASSERT_TRUE(ranges);
    ASSERT_EQ(ranges->size(), 1000U);
    for (std::size_t i = 0; i < ranges->size(); ++i) {
        EXPECT_EQ((*ranges)[i], (ByteRange{i * 2, i * 2}));
    }
    EXPECT_FALSE(parseRangeHeader(value + ",1500-1501", 2000));
}

} // namespace
