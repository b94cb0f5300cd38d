#pragma once

// The group edwards25519 (-x^2 + y^2 = 1 + d x^2 y^2 over GF(2^255 - 19)) as far as Ed25519
// signing needs it: multiples of the base point and the point encoding. Not a public header.

#include <cstdint>

namespace curve25519 {

// [scalar]B for a 32-byte little-endian scalar below 2^255, encoded as RFC 8032 says (y
// little-endian, the sign of x in the top bit). Runs in time independent of the scalar.
void scalarMultiplyBase(uint8_t encodedPoint[32], const uint8_t scalar[32]);

} // namespace curve25519
