#pragma once

// X25519 (RFC 7748): the Diffie-Hellman function over curve25519.

#include <cstddef>
#include <cstdint>

constexpr size_t kX25519Size = 32;

// The base point, u = 9.
extern const uint8_t kX25519BasePoint[kX25519Size];

// out = X25519(scalar, u). The scalar is taken as any 32 bytes and clamped here (the caller's copy
// is left unclamped); the top bit of u is ignored. An all-zero result (u of small order) is
// given back as it is. Secret data chooses no branch and no memory address.
void x25519_multiply(uint8_t out[kX25519Size], const uint8_t scalar[kX25519Size],
                     const uint8_t u[kX25519Size]);
