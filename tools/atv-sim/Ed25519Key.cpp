#include "Ed25519Key.h"

#include <openssl/evp.h>

#include <stdexcept>

void Ed25519Key::Free::operator()(evp_pkey_st* key) const
{
    EVP_PKEY_free(key);
}

Ed25519Key::Ed25519Key(evp_pkey_st* key) : key_(key), publicKey_(32)
{
    std::size_t length = publicKey_.size();
    if (EVP_PKEY_get_raw_public_key(key_.get(), publicKey_.data(), &length) != 1 || length != 32)
        throw std::runtime_error("Ed25519 public key export failed");
}

Ed25519Key Ed25519Key::generate()
{
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
    if (!key)
        throw std::runtime_error("Ed25519 key generation failed");
    return Ed25519Key(key);
}

Bytes Ed25519Key::sign(ByteView message) const
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    Bytes signature(64);
    std::size_t length = signature.size();
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key_.get()) != 1 ||
        EVP_DigestSign(ctx.get(), signature.data(), &length, message.data(), message.size()) != 1 ||
        length != 64)
        throw std::runtime_error("Ed25519 signing failed");
    return signature;
}
