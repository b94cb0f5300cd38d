#pragma once

// SHA-512 (FIPS 180-4) over a state record owned by the caller.
//
//     Sha512State state;
//     sha512_start(&state);
//     if (sha512_add(&state, data, length) == 0) sha512_finish(&state, digest);
//
// The state holds message bytes: sha512_finish wipes it.

#include <cstddef>
#include <cstdint>

constexpr size_t kSha512DigestSize = 64;
constexpr size_t kSha512BlockSize = 128;

struct Sha512State
{
    uint64_t hash[8];
    uint8_t block[kSha512BlockSize];
    size_t blockUsed;
    uint64_t lengthLow; // message length in bytes, low and high 64 bits
    uint64_t lengthHigh;
};

void sha512_start(Sha512State* state);

// Appends length bytes. Returns 0, or -1 when data is null while length is not 0 (the state is
// left as it was).
[[nodiscard]] int sha512_add(Sha512State* state, const uint8_t* data, size_t length);

// Writes the digest of everything added since sha512_start and wipes the state.
void sha512_finish(Sha512State* state, uint8_t digest[kSha512DigestSize]);

// One-shot form: the digest is written only when the return value is 0 (see sha512_add).
[[nodiscard]] int sha512_digest(const uint8_t* data, size_t length, uint8_t digest[kSha512DigestSize]);
