#include "crypto/x25519.h"

#include "hex.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>
#include <random>

namespace {

std::string multiply(const std::vector<uint8_t>& scalar, const std::vector<uint8_t>& u)
{
    uint8_t out[kX25519Size];
    x25519_multiply(out, scalar.data(), u.data());
    return toHex(out, sizeof out);
}

const std::vector<uint8_t> kBase(kX25519BasePoint, kX25519BasePoint + kX25519Size);

struct Rfc7748Vector
{
    const char* scalar;
    const char* u;
    const char* result;
};

// RFC 7748, section 5.2 (the second u has its top bit set, which is to be ignored), and the
// key pairs and shared secret of section 6.1.
const Rfc7748Vector kRfc7748Vectors[] = {
    {"a546e36bf0527c9d3b16154b82465edd62144c0ac1fc5a18506a2244ba449ac4",
     "e6db6867583030db3594c1a424b15f7c726624ec26b3353b10a903a6d0ab1c4c",
     "c3da55379de9c6908e94ea4df28d084f32eccf03491c71f754b4075577a28552"},
    {"4b66e9d4d1b4673c5ad22691957d6af5c11b6421e0ea01d42ca4169e7918ba0d",
     "e5210f12786811d3f4b7959d0538ae2c31dbe7106fc03c3efc4cd549c715a493",
     "95cbde9476e8907d7aade45cb4b873f88b595a68799fa152e6f8f7647aac7957"},
    {"77076d0a7318a57d3c16c17251b26645df4c2f87ebc0992ab177fba51db92c2a",
     "0900000000000000000000000000000000000000000000000000000000000000",
     "8520f0098930a754748b7ddcb43ef75a0dbf3a0d26381af4eba4a98eaa9b4e6a"},
    {"5dab087e624a8a4b79e17f8b83800ee66f3bb1292618b6fd1c2f8b27ff88e0eb",
     "0900000000000000000000000000000000000000000000000000000000000000",
     "de9edb7d7b7dc1b4d35b61c2ece435373f8343c85b78674dadfc7e146f882b4f"},
    {"77076d0a7318a57d3c16c17251b26645df4c2f87ebc0992ab177fba51db92c2a",
     "de9edb7d7b7dc1b4d35b61c2ece435373f8343c85b78674dadfc7e146f882b4f",
     "4a5d9d5ba4ce2de1728e3bf480350f25e07e21c947d19e3376f09b3c1e161742"},
    {"5dab087e624a8a4b79e17f8b83800ee66f3bb1292618b6fd1c2f8b27ff88e0eb",
     "8520f0098930a754748b7ddcb43ef75a0dbf3a0d26381af4eba4a98eaa9b4e6a",
     "4a5d9d5ba4ce2de1728e3bf480350f25e07e21c947d19e3376f09b3c1e161742"},
};

TEST(X25519, GivesTheRfc7748Results)
{
    for (const Rfc7748Vector& vector : kRfc7748Vectors) {
        SCOPED_TRACE(vector.scalar);
        EXPECT_EQ(multiply(fromHex(vector.scalar), fromHex(vector.u)), vector.result);
    }
}

TEST(X25519, IteratedVectorAfterOneAndOneThousandRounds)
{
    std::vector<uint8_t> k = kBase;
    std::vector<uint8_t> u = kBase;
    for (int round = 1; round <= 1000; ++round) {
        std::vector<uint8_t> next(kX25519Size);
        x25519_multiply(next.data(), k.data(), u.data());
        u = k;
        k = next;
        if (round == 1) {
            EXPECT_EQ(toHex(k), "422c8e7a6227d7bca1350b3e2bb7279f7897b87bb6854b783c60e80311ae3079");
        }
    }
    EXPECT_EQ(toHex(k), "684cf59ba83309552800ef566f2f4d3c1c3887c49360e3875f2eb94d99532c51");
}

TEST(X25519, ClampsTheScalarWithoutChangingTheCallersCopy)
{
    // Alice's key of RFC 7748, section 6.1, with each group of clamped bits set the other way.
    const std::vector<uint8_t> alice = fromHex(kRfc7748Vectors[2].scalar);
    const char* alicePublic = kRfc7748Vectors[2].result;
    struct Variant
    {
        const char* name;
        int byte;
        uint8_t orMask;
        uint8_t andMask;
    };
    const Variant variants[] = {
        {"low three bits set", 0, 7, 0xff},
        {"low three bits clear", 0, 0, 0xf8},
        {"top bit set", 31, 0x80, 0xff},
        {"bit 254 clear", 31, 0, 0xbf},
    };
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        std::vector<uint8_t> scalar = alice;
        scalar[variant.byte] =
            static_cast<uint8_t>((scalar[variant.byte] | variant.orMask) & variant.andMask);
        const std::vector<uint8_t> before = scalar;
        EXPECT_EQ(multiply(scalar, kBase), alicePublic);
        EXPECT_EQ(scalar, before);
    }
}

using KeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;

std::string openSslX25519(const std::vector<uint8_t>& scalar, const std::vector<uint8_t>& u)
{
    KeyPointer own(EVP_PKEY_new_raw_private_key(EVP_PKEY_X25519, nullptr, scalar.data(), scalar.size()),
                   &EVP_PKEY_free);
    KeyPointer peer(EVP_PKEY_new_raw_public_key(EVP_PKEY_X25519, nullptr, u.data(), u.size()),
                    &EVP_PKEY_free);
    KeyContext context(EVP_PKEY_CTX_new(own.get(), nullptr), &EVP_PKEY_CTX_free);
    uint8_t out[kX25519Size];
    size_t length = sizeof out;
    if (!own || !peer || !context || EVP_PKEY_derive_init(context.get()) != 1 ||
        EVP_PKEY_derive_set_peer(context.get(), peer.get()) != 1 ||
        EVP_PKEY_derive(context.get(), out, &length) != 1) {
        return "OpenSSL refused";
    }
    return toHex(out, length);
}

TEST(X25519, AgreesWithOpenSslOnRandomScalarsAndPoints)
{
    std::mt19937_64 generator(7748);
    for (int round = 0; round < 1000; ++round) {
        std::vector<uint8_t> scalar(kX25519Size);
        std::vector<uint8_t> u(kX25519Size);
        for (size_t i = 0; i < kX25519Size; ++i) {
            scalar[i] = static_cast<uint8_t>(generator());
            u[i] = static_cast<uint8_t>(generator());
        }
        // Half of the rounds use the base point, as making a public value does.
        const std::vector<uint8_t>& point = round % 2 == 0 ? kBase : u;
        ASSERT_EQ(multiply(scalar, point), openSslX25519(scalar, point))
            << "scalar " << toHex(scalar) << ", u " << toHex(point);
    }
}

} // namespace
