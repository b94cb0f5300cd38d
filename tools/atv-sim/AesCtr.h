#pragma once

#include "Bytes.h"

#include <memory>

struct evp_cipher_ctx_st;

// AES-128 in counter mode with a big-endian 128-bit counter. Successive calls continue one
// keystream, so the second 64 bytes passed through use keystream bytes 64..127.
class AesCtr
{
public:
    AesCtr(ByteView key, ByteView counterBlock);
    ~AesCtr();
    AesCtr(const AesCtr&) = delete;
    AesCtr& operator=(const AesCtr&) = delete;
    AesCtr(AesCtr&&) = default;
    AesCtr& operator=(AesCtr&&) = default;

    Bytes apply(ByteView input);

private:
    struct Free
    {
        void operator()(evp_cipher_ctx_st* ctx) const;
    };
    std::unique_ptr<evp_cipher_ctx_st, Free> ctx_;
};
