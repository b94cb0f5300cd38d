#include "crypto/sha512.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kInitialHash[8] = {
    0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
    0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179,
};

constexpr uint64_t kRoundConstants[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc, 0x3956c25bf348b538,
    0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118, 0xd807aa98a3030242, 0x12835b0145706fbe,
    0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2, 0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235,
    0xc19bf174cf692694, 0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5, 0x983e5152ee66dfab,
    0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4, 0xc6e00bf33da88fc2, 0xd5a79147930aa725,
    0x06ca6351e003826f, 0x142929670a0e6e70, 0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed,
    0x53380d139d95b3df, 0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30, 0xd192e819d6ef5218,
    0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8, 0x19a4c116b8d2d0c8, 0x1e376c085141ab53,
    0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8, 0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373,
    0x682e6ff3d6b2b8a3, 0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b, 0xca273eceea26619c,
    0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178, 0x06f067aa72176fba, 0x0a637dc5a2c898a6,
    0x113f9804bef90dae, 0x1b710b35131c471b, 0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc,
    0x431d67c49c100d4c, 0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817,
};

inline uint64_t rotateRight(uint64_t x, int n)
{
    return (x >> n) | (x << (64 - n));
}

inline uint64_t loadBigEndian64(const uint8_t* p)
{
    uint64_t x = 0;
    for (int i = 0; i < 8; ++i) {
        x = (x << 8) | p[i];
    }
    return x;
}

inline void storeBigEndian64(uint8_t* p, uint64_t x)
{
    for (int i = 7; i >= 0; --i) {
        p[i] = static_cast<uint8_t>(x);
        x >>= 8;
    }
}

// Runs the compression function over count consecutive 128-byte blocks.
void compressBlocks(uint64_t hash[8], const uint8_t* blocks, size_t count)
{
    uint64_t w[16];
    for (; count > 0; --count, blocks += kSha512BlockSize) {
        uint64_t a = hash[0], b = hash[1], c = hash[2], d = hash[3];
        uint64_t e = hash[4], f = hash[5], g = hash[6], h = hash[7];
        for (int t = 0; t < 80; ++t) {
            uint64_t wt;
            if (t < 16) {
                wt = loadBigEndian64(blocks + 8 * t);
            } else {
                const uint64_t w15 = w[(t - 15) & 15];
                const uint64_t w2 = w[(t - 2) & 15];
                const uint64_t sigma0 = rotateRight(w15, 1) ^ rotateRight(w15, 8) ^ (w15 >> 7);
                const uint64_t sigma1 = rotateRight(w2, 19) ^ rotateRight(w2, 61) ^ (w2 >> 6);
                wt = w[t & 15] + sigma0 + w[(t - 7) & 15] + sigma1;
            }
            w[t & 15] = wt;
            const uint64_t sum1 = rotateRight(e, 14) ^ rotateRight(e, 18) ^ rotateRight(e, 41);
            const uint64_t choose = (e & f) ^ (~e & g);
            const uint64_t t1 = h + sum1 + choose + kRoundConstants[t] + wt;
            const uint64_t sum0 = rotateRight(a, 28) ^ rotateRight(a, 34) ^ rotateRight(a, 39);
            const uint64_t majority = (a & b) ^ (a & c) ^ (b & c);
            const uint64_t t2 = sum0 + majority;
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        hash[0] += a;
        hash[1] += b;
        hash[2] += c;
        hash[3] += d;
        hash[4] += e;
        hash[5] += f;
        hash[6] += g;
        hash[7] += h;
    }
    OPENSSL_cleanse(w, sizeof w);
}

} // namespace

void sha512_start(Sha512State* state)
{
    std::memcpy(state->hash, kInitialHash, sizeof kInitialHash);
    state->blockUsed = 0;
    state->lengthLow = 0;
    state->lengthHigh = 0;
}

int sha512_add(Sha512State* state, const uint8_t* data, size_t length)
{
    if (length == 0) {
        return 0;
    }
    if (data == nullptr) {
        return -1;
    }
    const uint64_t previousLow = state->lengthLow;
    state->lengthLow += length;
    state->lengthHigh += state->lengthLow < previousLow ? 1 : 0;

    if (state->blockUsed > 0) {
        const size_t take = std::min(length, kSha512BlockSize - state->blockUsed);
        std::memcpy(state->block + state->blockUsed, data, take);
        state->blockUsed += take;
        data += take;
        length -= take;
        if (state->blockUsed < kSha512BlockSize) {
            return 0;
        }
        compressBlocks(state->hash, state->block, 1);
        state->blockUsed = 0;
    }
    const size_t wholeBlocks = length / kSha512BlockSize;
    compressBlocks(state->hash, data, wholeBlocks);
    data += wholeBlocks * kSha512BlockSize;
    length -= wholeBlocks * kSha512BlockSize;
    std::memcpy(state->block, data, length);
    state->blockUsed = length;
    return 0;
}

void sha512_finish(Sha512State* state, uint8_t digest[kSha512DigestSize])
{
    // Padding: a 1 bit, zeros, then the length in bits as a 128-bit big-endian number.
    const uint64_t bitsHigh = (state->lengthHigh << 3) | (state->lengthLow >> 61);
    const uint64_t bitsLow = state->lengthLow << 3;
    state->block[state->blockUsed++] = 0x80;
    if (state->blockUsed > kSha512BlockSize - 16) {
        std::memset(state->block + state->blockUsed, 0, kSha512BlockSize - state->blockUsed);
        compressBlocks(state->hash, state->block, 1);
        state->blockUsed = 0;
    }
    std::memset(state->block + state->blockUsed, 0, kSha512BlockSize - 16 - state->blockUsed);
    storeBigEndian64(state->block + kSha512BlockSize - 16, bitsHigh);
    storeBigEndian64(state->block + kSha512BlockSize - 8, bitsLow);
    compressBlocks(state->hash, state->block, 1);
    for (int i = 0; i < 8; ++i) {
        storeBigEndian64(digest + 8 * i, state->hash[i]);
    }
    OPENSSL_cleanse(state, sizeof *state);
}

int sha512_digest(const uint8_t* data, size_t length, uint8_t digest[kSha512DigestSize])
{
    Sha512State state;
    sha512_start(&state);
    const int status = sha512_add(&state, data, length);
    if (status == 0) {
        sha512_finish(&state, digest);
    } else {
        OPENSSL_cleanse(&state, sizeof state);
    }
    return status;
}
