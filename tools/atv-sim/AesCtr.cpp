#include "AesCtr.h"

#include <openssl/evp.h>

#include <stdexcept>

void AesCtr::Free::operator()(evp_cipher_ctx_st* ctx) const
{
    EVP_CIPHER_CTX_free(ctx);
}

AesCtr::AesCtr(ByteView key, ByteView counterBlock) : ctx_(EVP_CIPHER_CTX_new())
{
    if (key.size() != 16 || counterBlock.size() != 16 || !ctx_ ||
        EVP_EncryptInit_ex(ctx_.get(), EVP_aes_128_ctr(), nullptr, key.data(), counterBlock.data()) != 1)
        throw std::runtime_error("AES-CTR set-up failed");
}

AesCtr::~AesCtr() = default;

Bytes AesCtr::apply(ByteView input)
{
    Bytes output(input.size());
    int length = 0;
    if (EVP_EncryptUpdate(ctx_.get(), output.data(), &length, input.data(), static_cast<int>(input.size())) !=
        1)
        throw std::runtime_error("AES-CTR update failed");
    return output;
}
