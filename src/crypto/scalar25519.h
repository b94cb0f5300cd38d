#pragma once

// Arithmetic modulo the order L = 2^252 + 27742317777372353535851937790883648493 of the
// Ed25519 base point. Scalars are little-endian bytes. Not a public header.

#include <cstdint>

namespace curve25519 {

// out = in mod L, for a 64-byte input.
void scalarReduce(uint8_t out[32], const uint8_t in[64]);

// out = (a * b + c) mod L, for 32-byte inputs.
void scalarMultiplyAdd(uint8_t out[32], const uint8_t a[32], const uint8_t b[32], const uint8_t c[32]);

} // namespace curve25519
