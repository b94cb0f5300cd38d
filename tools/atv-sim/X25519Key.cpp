#include "X25519Key.h"

#include <openssl/evp.h>

#include <stdexcept>

void X25519Key::Free::operator()(evp_pkey_st* key) const
{
    EVP_PKEY_free(key);
}

X25519Key::X25519Key(evp_pkey_st* key) : key_(key), publicKey_(32)
{
    std::size_t length = publicKey_.size();
    if (EVP_PKEY_get_raw_public_key(key_.get(), publicKey_.data(), &length) != 1 || length != 32)
        throw std::runtime_error("X25519 public key export failed");
}

X25519Key X25519Key::generate()
{
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "X25519");
    if (!key)
        throw std::runtime_error("X25519 key generation failed");
    return X25519Key(key);
}

std::optional<Bytes> X25519Key::sharedSecret(ByteView peerPublic) const
{
    if (peerPublic.size() != 32)
        return std::nullopt;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> peer(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_X25519, nullptr, peerPublic.data(), peerPublic.size()),
        EVP_PKEY_free);
    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(EVP_PKEY_CTX_new(key_.get(), nullptr),
                                                                    EVP_PKEY_CTX_free);
    Bytes secret(32);
    std::size_t length = secret.size();
    if (!peer || !ctx || EVP_PKEY_derive_init(ctx.get()) != 1 ||
        EVP_PKEY_derive_set_peer(ctx.get(), peer.get()) != 1 ||
        EVP_PKEY_derive(ctx.get(), secret.data(), &length) != 1 || length != 32)
        return std::nullopt;
    return secret;
}
