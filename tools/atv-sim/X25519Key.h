#pragma once

#include "Bytes.h"

#include <memory>
#include <optional>

struct evp_pkey_st;

// A fresh X25519 key pair for one pair-verify.
class X25519Key
{
public:
    static X25519Key generate();

    const Bytes& publicKey() const { return publicKey_; }
    // The shared secret with a peer's public value; none for a value that gives the all-zero
    // secret (a small-order point) or that is not 32 bytes.
    std::optional<Bytes> sharedSecret(ByteView peerPublic) const;

private:
    struct Free
    {
        void operator()(evp_pkey_st* key) const;
    };
    explicit X25519Key(evp_pkey_st* key);

    std::unique_ptr<evp_pkey_st, Free> key_;
    Bytes publicKey_;
};
