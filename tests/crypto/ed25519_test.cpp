#include "crypto/ed25519.h"

#include "hex.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <memory>
#include <random>

namespace {

struct Rfc8032Vector
{
    const char* name;
    const char* secretKey;
    const char* publicKey;
    const char* message;
    const char* signature;
};

// RFC 8032, section 7.1.
const Rfc8032Vector kRfc8032Vectors[] = {
    {"TEST 1", "9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
     "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f"
     "0595bbe24655141438e7a100b"},
    {"TEST 2", "4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
     "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2ea"
     "eb4302aeeb00d291612bb0c00"},
    {"TEST 3", "c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
     "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e"
     "9716ed28dc027beceea1ec40a"},
    {"TEST SHA(abc)", "833fe62409237b9d62ec77587520911e9a759cec1d19755b7da901b96dca3d42",
     "ec172b93ad5e563bf4932c70e1245034c35467ef2efd4d64ebf819683467e2bf",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d442"
     "3643ce80e2a9ac94fa54ca49f",
     "dc2a4459e7369633a52b1bf277839a00201009a3efbf3ecb69bea2186c26b58909351fc9ac90b3ecfdfbc7c66431e0303dca179"
     "c138ac17ad9bef1177331a704"},
};

std::vector<uint8_t> clampedSha512(const std::vector<uint8_t>& seed)
{
    std::vector<uint8_t> h(SHA512_DIGEST_LENGTH);
    SHA512(seed.data(), seed.size(), h.data());
    h[0] &= 248;
    h[31] = (h[31] & 63) | 64;
    return h;
}

TEST(Ed25519, GivesTheRfc8032KeysAndSignaturesWithTheExpandedPrivateKey)
{
    for (const Rfc8032Vector& vector : kRfc8032Vectors) {
        SCOPED_TRACE(vector.name);
        const std::vector<uint8_t> seed = fromHex(vector.secretKey);
        const std::vector<uint8_t> message = fromHex(vector.message);
        uint8_t publicKey[kEd25519PublicKeySize];
        uint8_t privateKey[kEd25519PrivateKeySize];
        ed25519_make_keypair(publicKey, privateKey, seed.data());
        EXPECT_EQ(toHex(publicKey, sizeof publicKey), vector.publicKey);
        EXPECT_EQ(toHex(privateKey, sizeof privateKey), toHex(clampedSha512(seed)));

        uint8_t signature[kEd25519SignatureSize];
        ed25519_make_signature(signature, message.empty() ? nullptr : message.data(), message.size(),
                               publicKey, privateKey);
        EXPECT_EQ(toHex(signature, sizeof signature), vector.signature);
    }
}

using PublicKeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

TEST(Ed25519, AgreesWithOpenSslOnRandomSeedsAndMessages)
{
    std::mt19937_64 generator(25519);
    for (int round = 0; round < 1000; ++round) {
        std::vector<uint8_t> seed(kEd25519SeedSize);
        for (uint8_t& byte : seed) {
            byte = static_cast<uint8_t>(generator());
        }
        std::vector<uint8_t> message(generator() % 300);
        for (uint8_t& byte : message) {
            byte = static_cast<uint8_t>(generator());
        }

        PublicKeyPointer key(
            EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()),
            &EVP_PKEY_free);
        ASSERT_TRUE(key);
        uint8_t expectedPublic[kEd25519PublicKeySize];
        size_t publicLength = sizeof expectedPublic;
        ASSERT_EQ(EVP_PKEY_get_raw_public_key(key.get(), expectedPublic, &publicLength), 1);
        DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
        uint8_t expectedSignature[kEd25519SignatureSize];
        size_t signatureLength = sizeof expectedSignature;
        ASSERT_EQ(EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()), 1);
        ASSERT_EQ(EVP_DigestSign(context.get(), expectedSignature, &signatureLength, message.data(),
                                 message.size()),
                  1);

        uint8_t publicKey[kEd25519PublicKeySize];
        uint8_t privateKey[kEd25519PrivateKeySize];
        ed25519_make_keypair(publicKey, privateKey, seed.data());
        uint8_t signature[kEd25519SignatureSize];
        ed25519_make_signature(signature, message.data(), message.size(), publicKey, privateKey);
        ASSERT_EQ(toHex(publicKey, sizeof publicKey), toHex(expectedPublic, sizeof expectedPublic))
            << "seed " << toHex(seed);
        ASSERT_EQ(toHex(signature, sizeof signature), toHex(expectedSignature, sizeof expectedSignature))
            << "seed " << toHex(seed) << ", message " << toHex(message);
    }
}

} // namespace
