#pragma once

#include "Bytes.h"

#include <memory>

struct evp_pkey_st;

// An Ed25519 signing key: the receiver's long-term identity.
class Ed25519Key
{
public:
    static Ed25519Key generate();

    const Bytes& publicKey() const { return publicKey_; }
    Bytes sign(ByteView message) const;

private:
    struct Free
    {
        void operator()(evp_pkey_st* key) const;
    };
    explicit Ed25519Key(evp_pkey_st* key);

    std::unique_ptr<evp_pkey_st, Free> key_;
    Bytes publicKey_;
};
