#include "crypto/aes.h"

#include "hex.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>

namespace {

const std::vector<uint8_t> kKey = fromHex("2b7e151628aed2a6abf7158809cf4f3c");

std::vector<uint8_t> pattern(size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return bytes;
}

// A CTR state over kKey; released at the end of the test.
class CtrState
{
public:
    explicit CtrState(const std::vector<uint8_t>& counterBlock)
    {
        EXPECT_EQ(aes128_ctr_create(kKey.data(), counterBlock.data(), &state_), AesSuccess);
    }
    ~CtrState() { aes128_ctr_release(state_); }
    CtrState(const CtrState&) = delete;
    CtrState& operator=(const CtrState&) = delete;

    std::vector<uint8_t> update(const std::vector<uint8_t>& input)
    {
        std::vector<uint8_t> output(input.size());
        size_t moved = 0;
        EXPECT_EQ(aes128_ctr_update(state_, input.data(), input.size(), output.data(), output.size(), &moved),
                  AesSuccess);
        EXPECT_EQ(moved, input.size());
        return output;
    }
    AesCtrState* get() { return state_; }

private:
    AesCtrState* state_ = nullptr;
};

// AES(key, block), straight from OpenSSL, to build the expected keystream.
std::vector<uint8_t> encryptBlock(const std::vector<uint8_t>& block)
{
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                            &EVP_CIPHER_CTX_free);
    std::vector<uint8_t> out(32);
    int length = 0;
    EXPECT_EQ(EVP_EncryptInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, kKey.data(), nullptr), 1);
    EXPECT_EQ(EVP_EncryptUpdate(context.get(), out.data(), &length, block.data(), 16), 1);
    out.resize(16);
    return out;
}

TEST(AesCtr, SuccessiveUpdatesContinueOneKeystream)
{
    const std::vector<uint8_t> counter = fromHex("f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
    const std::vector<uint8_t> input = pattern(128);
    CtrState whole(counter);
    const std::vector<uint8_t> once = whole.update(input);

    CtrState split(counter);
    std::vector<uint8_t> twice = split.update({input.begin(), input.begin() + 64});
    const std::vector<uint8_t> second = split.update({input.begin() + 64, input.end()});
    twice.insert(twice.end(), second.begin(), second.end());
    EXPECT_EQ(toHex(twice), toHex(once));

    // Pieces that do not end on a block boundary continue it too.
    CtrState ragged(counter);
    std::vector<uint8_t> pieces;
    for (size_t begin = 0, size = 1; begin < input.size(); begin += size, size += 5) {
        const size_t end = std::min(begin + size, input.size());
        const std::vector<uint8_t> piece = ragged.update({input.begin() + begin, input.begin() + end});
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(toHex(pieces), toHex(once));
}

TEST(AesCtr, TheWholeBlockIsOneBigEndianCounter)
{
    // The counter passes a 64-bit boundary, then wraps around at 2^128.
    const std::vector<std::vector<uint8_t>> counters = {
        fromHex("0000000000000000ffffffffffffffff"),
        fromHex("00000000000000010000000000000000"),
        fromHex("ffffffffffffffffffffffffffffffff"),
        fromHex("00000000000000000000000000000000"),
    };
    for (size_t start : {size_t{0}, size_t{2}}) {
        const std::vector<uint8_t> zeros(32, 0);
        CtrState state(counters[start]);
        const std::vector<uint8_t> keystream = state.update(zeros);
        std::vector<uint8_t> expected = encryptBlock(counters[start]);
        const std::vector<uint8_t> next = encryptBlock(counters[start + 1]);
        expected.insert(expected.end(), next.begin(), next.end());
        EXPECT_EQ(toHex(keystream), toHex(expected)) << "from " << toHex(counters[start]);
    }
}

TEST(AesCtr, RefusesAnOutputBufferSmallerThanTheInputWithoutUsingKeystream)
{
    const std::vector<uint8_t> counter(16, 0);
    const std::vector<uint8_t> input = pattern(64);
    CtrState reference(counter);
    const std::vector<uint8_t> expected = reference.update(input);

    CtrState state(counter);
    std::vector<uint8_t> small(63);
    size_t moved = 99;
    EXPECT_EQ(aes128_ctr_update(state.get(), input.data(), input.size(), small.data(), small.size(), &moved),
              AesBufferTooSmall);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(toHex(state.update(input)), toHex(expected));
}

TEST(AesCtr, RefusesMissingArguments)
{
    AesCtrState* state = reinterpret_cast<AesCtrState*>(&state);
    EXPECT_EQ(aes128_ctr_create(nullptr, kKey.data(), &state), AesParamError);
    EXPECT_EQ(state, nullptr);
    EXPECT_EQ(aes128_ctr_create(kKey.data(), nullptr, &state), AesParamError);
    EXPECT_EQ(aes128_ctr_create(kKey.data(), kKey.data(), nullptr), AesParamError);
    uint8_t out[4];
    EXPECT_EQ(aes128_ctr_update(nullptr, out, 4, out, 4, nullptr), AesParamError);
    aes128_ctr_release(nullptr);
}

struct GcmResult
{
    std::string ciphertext;
    std::string tag;
};

GcmResult gcmEncrypt(const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv,
                     const std::vector<uint8_t>& additionalData, const std::vector<uint8_t>& plaintext)
{
    std::vector<uint8_t> ciphertext(plaintext.size());
    uint8_t tag[kAesGcmTagSize];
    EXPECT_EQ(aes128_gcm_encrypt(key.data(), iv.data(), iv.size(), additionalData.data(),
                                 additionalData.size(), plaintext.data(), plaintext.size(), ciphertext.data(),
                                 tag),
              AesSuccess);
    return {toHex(ciphertext), toHex(tag, sizeof tag)};
}

// Test case 6 of the GCM proposal by McGrew and Viega (AES-128, a 60-byte IV through GHASH, additional data).
TEST(AesGcm, GivesTheKnownAnswerForALongInitialisationVector)
{
    const GcmResult result = gcmEncrypt(
        fromHex("feffe9928665731c6d6a8f9467308308"),
        fromHex("9313225df88406e555909c5aff5269aa6a7a9538534f7da1e4c303d2a318a728c3c0c95156809539fcf0e242"
                "9a6b525416aedbf5a0de6a57a637b39b"),
        fromHex("feedfacedeadbeeffeedfacedeadbeefabaddad2"),
        fromHex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e24"
                "49a6b525b16aedf5aa0de657ba637b39"));
    EXPECT_EQ(result.ciphertext,
              "8ce24998625615b603a033aca13fb894be9112a5c3a211a8ba262a3cca7e2ca701e4a9a4fba43c90"
              "ccdcb281d48c7c6fd62875d2aca417034c34aee5");
    EXPECT_EQ(result.tag, "619cc5aefffe0bfa462af43c1699d050");
}

TEST(AesGcm, SixteenByteVectorIsNotItsTwelveBytePrefix)
{
    const std::vector<uint8_t> iv16 = fromHex("cafebabefacedbaddecaf888a1a2a3a4");
    const std::vector<uint8_t> iv12(iv16.begin(), iv16.begin() + 12);
    const std::vector<uint8_t> plaintext = pattern(32);
    const GcmResult long16 = gcmEncrypt(kKey, iv16, {}, plaintext);
    const GcmResult short12 = gcmEncrypt(kKey, iv12, {}, plaintext);
    EXPECT_EQ(long16.ciphertext.size(), 2 * 32u);
    EXPECT_EQ(long16.tag.size(), 2 * kAesGcmTagSize);
    EXPECT_NE(long16.ciphertext, short12.ciphertext);
    EXPECT_NE(long16.tag, short12.tag);
}

TEST(AesGcm, RefusesWhatTheStandardRulesOut)
{
    const std::vector<uint8_t> iv(16, 1);
    const std::vector<uint8_t> longIv(129, 1);
    uint8_t data[32] = {};
    uint8_t tag[kAesGcmTagSize];
    EXPECT_EQ(aes128_gcm_encrypt(kKey.data(), iv.data(), 0, nullptr, 0, data, sizeof data, data, tag),
              AesParamError);
    EXPECT_EQ(aes128_gcm_encrypt(kKey.data(), nullptr, 16, nullptr, 0, data, sizeof data, data, tag),
              AesParamError);
    EXPECT_EQ(aes128_gcm_encrypt(kKey.data(), longIv.data(), longIv.size(), nullptr, 0, data, sizeof data,
                                 data, tag),
              AesParamError);
    // Checked before any byte is read: the buffers need not be that long.
    EXPECT_EQ(aes128_gcm_encrypt(kKey.data(), iv.data(), iv.size(), nullptr, 0, data,
                                 kAesGcmMaxPlaintextSize + 1, data, tag),
              AesParamError);
    EXPECT_EQ(aes128_gcm_encrypt(kKey.data(), iv.data(), iv.size(), nullptr, 1, data, sizeof data, data, tag),
              AesParamError);
}

} // namespace
