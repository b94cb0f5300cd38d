#include "crypto/aes.h"

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

struct AesCtrState
{
    EVP_CIPHER_CTX* context;
};

namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// EVP_EncryptUpdate takes int lengths: feeds longer inputs in pieces. output null = additional data.
bool encryptInPieces(EVP_CIPHER_CTX* context, const uint8_t* input, size_t length, uint8_t* output)
{
    constexpr size_t kPiece = size_t{1} << 30;
    while (length > 0) {
        const int piece = static_cast<int>(std::min(length, kPiece));
        int written = 0;
        if (EVP_EncryptUpdate(context, output, &written, input, piece) != 1) {
            return false;
        }
        input += piece;
        length -= static_cast<size_t>(piece);
        if (output != nullptr) {
            output += written;
        }
    }
    return true;
}

} // namespace

int aes128_gcm_encrypt(const uint8_t key[kAes128KeySize], const uint8_t* iv, size_t ivLength,
                       const uint8_t* additionalData, size_t additionalDataLength, const uint8_t* plaintext,
                       size_t plaintextLength, uint8_t* ciphertext, uint8_t tag[kAesGcmTagSize])
{
    if (key == nullptr || iv == nullptr || ivLength == 0 || ivLength > kAesGcmMaxIvSize || tag == nullptr ||
        (additionalData == nullptr && additionalDataLength > 0) ||
        plaintextLength > kAesGcmMaxPlaintextSize ||
        ((plaintext == nullptr || ciphertext == nullptr) && plaintextLength > 0)) {
        return AesParamError;
    }
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(ivLength), nullptr) !=
            1 ||
        EVP_EncryptInit_ex(context.get(), nullptr, nullptr, key, iv) != 1 ||
        !encryptInPieces(context.get(), additionalData, additionalDataLength, nullptr) ||
        !encryptInPieces(context.get(), plaintext, plaintextLength, ciphertext)) {
        return AesCipherFailure;
    }
    int finalLength = 0;
    uint8_t finalBlock[kAesBlockSize];
    if (EVP_EncryptFinal_ex(context.get(), finalBlock, &finalLength) != 1 || finalLength != 0 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kAesGcmTagSize, tag) != 1) {
        return AesCipherFailure;
    }
    return AesSuccess;
}

int aes128_ctr_create(const uint8_t key[kAes128KeySize], const uint8_t counterBlock[kAesBlockSize],
                      AesCtrState** state)
{
    if (state == nullptr) {
        return AesParamError;
    }
    *state = nullptr;
    if (key == nullptr || counterBlock == nullptr) {
        return AesParamError;
    }
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_128_ctr(), nullptr, key, counterBlock) != 1) {
        return AesCipherFailure;
    }
    *state = new AesCtrState{context.release()};
    return AesSuccess;
}

int aes128_ctr_update(AesCtrState* state, const uint8_t* input, size_t inputLength, uint8_t* output,
                      size_t outputSize, size_t* moved)
{
    if (moved != nullptr) {
        *moved = 0;
    }
    if (state == nullptr || ((input == nullptr || output == nullptr) && inputLength > 0)) {
        return AesParamError;
    }
    if (outputSize < inputLength) {
        return AesBufferTooSmall;
    }
    if (!encryptInPieces(state->context, input, inputLength, output)) {
        return AesCipherFailure;
    }
    if (moved != nullptr) {
        *moved = inputLength;
    }
    return AesSuccess;
}

void aes128_ctr_release(AesCtrState* state)
{
    if (state == nullptr) {
        return;
    }
    EVP_CIPHER_CTX_free(state->context);
    delete state;
}
