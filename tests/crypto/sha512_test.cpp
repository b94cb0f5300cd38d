#include "crypto/sha512.h"

#include "hex.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <random>
#include <string>

namespace {

std::string digestOf(const std::string& message)
{
    uint8_t digest[kSha512DigestSize];
    EXPECT_EQ(sha512_digest(reinterpret_cast<const uint8_t*>(message.data()), message.size(), digest), 0);
    return toHex(digest, sizeof digest);
}

// Feeds message in pieces whose sizes cycle through pieceSizes.
std::string streamedDigestOf(const std::string& message, const std::vector<size_t>& pieceSizes)
{
    Sha512State state;
    sha512_start(&state);
    const auto* data = reinterpret_cast<const uint8_t*>(message.data());
    size_t offset = 0;
    for (size_t i = 0; offset < message.size(); ++i) {
        const size_t piece = std::min(pieceSizes[i % pieceSizes.size()], message.size() - offset);
        EXPECT_EQ(sha512_add(&state, data + offset, piece), 0);
        offset += piece;
    }
    uint8_t digest[kSha512DigestSize];
    sha512_finish(&state, digest);
    return toHex(digest, sizeof digest);
}

struct KnownDigest
{
    std::string message;
    const char* digest;
};

// FIPS 180-4 examples (NIST's SHA-512 example values).
const std::vector<KnownDigest> kFipsVectors = {
    {"", "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b"
         "931bd47417a81a538327af927da3e"},
    {"abc", "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd"
            "454d4423643ce80e2a9ac94fa54ca49f"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07f9aa1d3bea57789ca031ad85c"
     "7a71dd70354ec631238ca3445"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrs"
     "tnopqrstu",
     "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e4900f7e4331b99dec4b5433ac7d329e"
     "eb6dd26545e96e55b874be909"},
    {std::string(1000000, 'a'), "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877e"
                                "a60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
};

TEST(Sha512, GivesTheFipsDigestsOneShotAndStreamed)
{
    for (const KnownDigest& vector : kFipsVectors) {
        SCOPED_TRACE(vector.message.substr(0, 20) + " (" + std::to_string(vector.message.size()) + " bytes)");
        EXPECT_EQ(digestOf(vector.message), vector.digest);
        EXPECT_EQ(streamedDigestOf(vector.message, {1}), vector.digest);
        EXPECT_EQ(streamedDigestOf(vector.message, {3, 127, 129, 0, 255, 17}), vector.digest);
        EXPECT_EQ(streamedDigestOf(vector.message, {111, 1, 16, 128, 200000}), vector.digest);
    }
}

TEST(Sha512, StreamedSplitAtEveryPositionOfTheTwoBlockVector)
{
    const KnownDigest& vector = kFipsVectors[3];
    for (size_t split = 0; split <= vector.message.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        EXPECT_EQ(streamedDigestOf(vector.message, {split, vector.message.size()}), vector.digest);
    }
}

// Every length around the padding boundaries (111/112 bytes in the last block, 128 per block).
TEST(Sha512, MatchesOpenSslForEveryLengthUpToThreeBlocks)
{
    std::mt19937 generator(512);
    std::string message;
    for (size_t length = 0; length <= 3 * kSha512BlockSize + 1; ++length) {
        uint8_t expected[SHA512_DIGEST_LENGTH];
        SHA512(reinterpret_cast<const uint8_t*>(message.data()), message.size(), expected);
        ASSERT_EQ(digestOf(message), toHex(expected, sizeof expected)) << "length " << length;
        message.push_back(static_cast<char>(generator()));
    }
}

TEST(Sha512, RefusesNullBytesWithALengthAndKeepsTheState)
{
    Sha512State state;
    sha512_start(&state);
    ASSERT_EQ(sha512_add(&state, reinterpret_cast<const uint8_t*>("ab"), 2), 0);
    EXPECT_EQ(sha512_add(&state, nullptr, 5), -1);
    EXPECT_EQ(sha512_add(&state, nullptr, 0), 0);
    ASSERT_EQ(sha512_add(&state, reinterpret_cast<const uint8_t*>("c"), 1), 0);
    uint8_t digest[kSha512DigestSize];
    sha512_finish(&state, digest);
    EXPECT_EQ(toHex(digest, sizeof digest), kFipsVectors[1].digest);

    uint8_t untouched[kSha512DigestSize] = {};
    EXPECT_EQ(sha512_digest(nullptr, 1, untouched), -1);
    EXPECT_EQ(toHex(untouched, sizeof untouched), std::string(128, '0'));
}

} // namespace
