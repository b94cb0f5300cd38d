#pragma once

// AES-128 in GCM and counter mode, over OpenSSL. Every function returns an AesStatus: 0 on
// success, a negative value otherwise; on failure no output is to be used.

#include <cstddef>
#include <cstdint>

enum AesStatus : int
{
    AesSuccess = 0,
    AesParamError = -1,     // a null or empty argument where bytes are needed, or a length out of range
    AesBufferTooSmall = -2, // the output buffer is smaller than the input
    AesCipherFailure = -3,  // OpenSSL refused the operation
};

constexpr size_t kAes128KeySize = 16;
constexpr size_t kAesBlockSize = 16;
constexpr size_t kAesGcmTagSize = 16;
constexpr size_t kAesGcmMaxPlaintextSize = (size_t{1} << 36) - 32;
constexpr size_t kAesGcmMaxIvSize = 128; // OpenSSL 3's limit

// AES-128-GCM encryption (NIST SP 800-38D) with a full 16-byte tag. The initialisation vector has
// 1 to kAesGcmMaxIvSize bytes (12 bytes take the direct path of the standard, every other length
// goes through GHASH); the additional data may be empty; the plaintext has at most
// kAesGcmMaxPlaintextSize bytes. Writes plaintextLength bytes to ciphertext and the tag to tag.
int aes128_gcm_encrypt(const uint8_t key[kAes128KeySize], const uint8_t* iv, size_t ivLength,
                       const uint8_t* additionalData, size_t additionalDataLength, const uint8_t* plaintext,
                       size_t plaintextLength, uint8_t* ciphertext, uint8_t tag[kAesGcmTagSize]);

// AES-128 in counter mode. The whole 16-byte counter block is one big-endian counter, incremented
// after each block; successive updates on one state continue one keystream.
struct AesCtrState;

// Makes a state in *state (to be ended with aes128_ctr_release).
int aes128_ctr_create(const uint8_t key[kAes128KeySize], const uint8_t counterBlock[kAesBlockSize],
                      AesCtrState** state);

// Passes inputLength bytes through the cipher into output, which has room for outputSize bytes;
// fails with AesBufferTooSmall (consuming no keystream) when outputSize < inputLength. *moved
// (if not null) receives the number of bytes written.
int aes128_ctr_update(AesCtrState* state, const uint8_t* input, size_t inputLength, uint8_t* output,
                      size_t outputSize, size_t* moved);

// Ends the state and wipes its key schedule; null is ignored.
void aes128_ctr_release(AesCtrState* state);
