#pragma once

// Arithmetic modulo p = 2^255 - 19, shared by the X25519 and Ed25519 code of this folder (not a
// public header). An element is five unsigned 51-bit limbs, value = sum limb[i] * 2^(51 i).
//
// Limb bounds: mul, square, mulSmall, carry, sub and fromBytes give "reduced" limbs below
// 2^51 + 2^15. add gives the sum of its inputs without carrying. mul and square accept limbs up
// to 2^54, sub accepts a subtrahend up to 2^53. The callers keep to these bounds: they feed
// mul only reduced elements or sums of at most two of them, and sub only such elements.
//
// Everything here runs in time independent of the values, and everything is constexpr so that
// the Ed25519 base-point table is computed by the compiler.

#include <cstdint>

namespace curve25519 {

__extension__ typedef unsigned __int128 uint128_t;

struct FieldElement
{
    uint64_t limb[5];
};

constexpr uint64_t kLimbMask = (uint64_t{1} << 51) - 1;

constexpr FieldElement fieldZero()
{
    return {{0, 0, 0, 0, 0}};
}

constexpr FieldElement fieldOne()
{
    return {{1, 0, 0, 0, 0}};
}

constexpr FieldElement fieldFromSmall(uint64_t value)
{
    return {{value, 0, 0, 0, 0}};
}

constexpr FieldElement add(const FieldElement& f, const FieldElement& g)
{
    return {{f.limb[0] + g.limb[0], f.limb[1] + g.limb[1], f.limb[2] + g.limb[2], f.limb[3] + g.limb[3],
             f.limb[4] + g.limb[4]}};
}

// One carry pass: limbs 1 to 4 end below 2^51, limb 0 below 2^51 + 19 * 2^13 for inputs below 2^64.
constexpr FieldElement carry(const FieldElement& f)
{
    const uint64_t h0 = f.limb[0];
    const uint64_t h1 = f.limb[1] + (h0 >> 51);
    const uint64_t h2 = f.limb[2] + (h1 >> 51);
    const uint64_t h3 = f.limb[3] + (h2 >> 51);
    const uint64_t h4 = f.limb[4] + (h3 >> 51);
    return {
        {(h0 & kLimbMask) + 19 * (h4 >> 51), h1 & kLimbMask, h2 & kLimbMask, h3 & kLimbMask, h4 & kLimbMask}};
}

// f - g, computed as f + 4p - g so that no limb goes below zero.
constexpr FieldElement sub(const FieldElement& f, const FieldElement& g)
{
    constexpr uint64_t fourP0 = (uint64_t{1} << 53) - 76;
    constexpr uint64_t fourPi = (uint64_t{1} << 53) - 4;
    return carry(
        {{f.limb[0] + fourP0 - g.limb[0], f.limb[1] + fourPi - g.limb[1], f.limb[2] + fourPi - g.limb[2],
          f.limb[3] + fourPi - g.limb[3], f.limb[4] + fourPi - g.limb[4]}});
}

constexpr FieldElement negate(const FieldElement& f)
{
    return sub(fieldZero(), f);
}

// Carries five 128-bit column sums into a reduced element.
constexpr FieldElement carryWide(uint128_t r0, uint128_t r1, uint128_t r2, uint128_t r3, uint128_t r4)
{
    r1 += static_cast<uint64_t>(r0 >> 51);
    r2 += static_cast<uint64_t>(r1 >> 51);
    r3 += static_cast<uint64_t>(r2 >> 51);
    r4 += static_cast<uint64_t>(r3 >> 51);
    const uint64_t h0 = (static_cast<uint64_t>(r0) & kLimbMask) + 19 * static_cast<uint64_t>(r4 >> 51);
    const uint64_t h1 = (static_cast<uint64_t>(r1) & kLimbMask) + (h0 >> 51);
    return {{h0 & kLimbMask, h1, static_cast<uint64_t>(r2) & kLimbMask, static_cast<uint64_t>(r3) & kLimbMask,
             static_cast<uint64_t>(r4) & kLimbMask}};
}

[[gnu::always_inline]] constexpr FieldElement mul(const FieldElement& f, const FieldElement& g)
{
    const uint64_t f0 = f.limb[0], f1 = f.limb[1], f2 = f.limb[2], f3 = f.limb[3], f4 = f.limb[4];
    const uint64_t g0 = g.limb[0], g1 = g.limb[1], g2 = g.limb[2], g3 = g.limb[3], g4 = g.limb[4];
    const uint64_t g1x19 = 19 * g1, g2x19 = 19 * g2, g3x19 = 19 * g3, g4x19 = 19 * g4;
    const uint128_t r0 = uint128_t{f0} * g0 + uint128_t{f1} * g4x19 + uint128_t{f2} * g3x19 +
                         uint128_t{f3} * g2x19 + uint128_t{f4} * g1x19;
    const uint128_t r1 = uint128_t{f0} * g1 + uint128_t{f1} * g0 + uint128_t{f2} * g4x19 +
                         uint128_t{f3} * g3x19 + uint128_t{f4} * g2x19;
    const uint128_t r2 = uint128_t{f0} * g2 + uint128_t{f1} * g1 + uint128_t{f2} * g0 +
                         uint128_t{f3} * g4x19 + uint128_t{f4} * g3x19;
    const uint128_t r3 = uint128_t{f0} * g3 + uint128_t{f1} * g2 + uint128_t{f2} * g1 + uint128_t{f3} * g0 +
                         uint128_t{f4} * g4x19;
    const uint128_t r4 = uint128_t{f0} * g4 + uint128_t{f1} * g3 + uint128_t{f2} * g2 + uint128_t{f3} * g1 +
                         uint128_t{f4} * g0;
    return carryWide(r0, r1, r2, r3, r4);
}

[[gnu::always_inline]] constexpr FieldElement square(const FieldElement& f)
{
    const uint64_t f0 = f.limb[0], f1 = f.limb[1], f2 = f.limb[2], f3 = f.limb[3], f4 = f.limb[4];
    const uint64_t f0x2 = 2 * f0, f1x2 = 2 * f1;
    const uint64_t f1x38 = 38 * f1, f2x38 = 38 * f2, f3x38 = 38 * f3;
    const uint64_t f3x19 = 19 * f3, f4x19 = 19 * f4;
    const uint128_t r0 = uint128_t{f0} * f0 + uint128_t{f1x38} * f4 + uint128_t{f2x38} * f3;
    const uint128_t r1 = uint128_t{f0x2} * f1 + uint128_t{f2x38} * f4 + uint128_t{f3x19} * f3;
    const uint128_t r2 = uint128_t{f0x2} * f2 + uint128_t{f1} * f1 + uint128_t{f3x38} * f4;
    const uint128_t r3 = uint128_t{f0x2} * f3 + uint128_t{f1x2} * f2 + uint128_t{f4x19} * f4;
    const uint128_t r4 = uint128_t{f0x2} * f4 + uint128_t{f1x2} * f3 + uint128_t{f2} * f2;
    return carryWide(r0, r1, r2, r3, r4);
}

// f^(2^n), n >= 1.
constexpr FieldElement squareTimes(FieldElement f, int n)
{
    for (int i = 0; i < n; ++i) {
        f = square(f);
    }
    return f;
}

constexpr FieldElement mulSmall(const FieldElement& f, uint32_t k)
{
    return carryWide(uint128_t{f.limb[0]} * k, uint128_t{f.limb[1]} * k, uint128_t{f.limb[2]} * k,
                     uint128_t{f.limb[3]} * k, uint128_t{f.limb[4]} * k);
}

// f^(p-2) = 1/f for f != 0 (and 0 for f = 0).
constexpr FieldElement invert(const FieldElement& z)
{
    const FieldElement z2 = square(z);
    const FieldElement z9 = mul(squareTimes(z2, 2), z);
    const FieldElement z11 = mul(z9, z2);
    const FieldElement z_5_0 = mul(square(z11), z9);
    const FieldElement z_10_0 = mul(squareTimes(z_5_0, 5), z_5_0);
    const FieldElement z_20_0 = mul(squareTimes(z_10_0, 10), z_10_0);
    const FieldElement z_40_0 = mul(squareTimes(z_20_0, 20), z_20_0);
    const FieldElement z_50_0 = mul(squareTimes(z_40_0, 10), z_10_0);
    const FieldElement z_100_0 = mul(squareTimes(z_50_0, 50), z_50_0);
    const FieldElement z_200_0 = mul(squareTimes(z_100_0, 100), z_100_0);
    const FieldElement z_250_0 = mul(squareTimes(z_200_0, 50), z_50_0);
    return mul(squareTimes(z_250_0, 5), z11);
}

// Reads 32 little-endian bytes; the top bit of byte 31 is ignored.
constexpr FieldElement fromBytes(const uint8_t s[32])
{
    uint64_t w[4] = {};
    for (int i = 0; i < 4; ++i) {
        for (int j = 7; j >= 0; --j) {
            w[i] = (w[i] << 8) | s[8 * i + j];
        }
    }
    FieldElement h{};
    h.limb[0] = w[0] & kLimbMask;
    h.limb[1] = ((w[0] >> 51) | (w[1] << 13)) & kLimbMask;
    h.limb[2] = ((w[1] >> 38) | (w[2] << 26)) & kLimbMask;
    h.limb[3] = ((w[2] >> 25) | (w[3] << 39)) & kLimbMask;
    h.limb[4] = (w[3] >> 12) & kLimbMask;
    return h;
}

// Writes the unique representative in [0, p) as 32 little-endian bytes.
constexpr void toBytes(uint8_t s[32], const FieldElement& f)
{
    FieldElement h = carry(carry(f));
    // q = 1 exactly when h >= p, i.e. when h + 19 reaches 2^255.
    uint64_t q = (h.limb[0] + 19) >> 51;
    for (int i = 1; i < 5; ++i) {
        q = (h.limb[i] + q) >> 51;
    }
    h.limb[0] += 19 * q;
    for (int i = 0; i < 4; ++i) {
        h.limb[i + 1] += h.limb[i] >> 51;
        h.limb[i] &= kLimbMask;
    }
    h.limb[4] &= kLimbMask;
    const uint64_t w[4] = {
        h.limb[0] | (h.limb[1] << 51),
        (h.limb[1] >> 13) | (h.limb[2] << 38),
        (h.limb[2] >> 26) | (h.limb[3] << 25),
        (h.limb[3] >> 39) | (h.limb[4] << 12),
    };
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 8; ++j) {
            s[8 * i + j] = static_cast<uint8_t>(w[i] >> (8 * j));
        }
    }
}

// The low bit of the reduced value: the "sign" of Ed25519 point encodings.
constexpr uint8_t isNegative(const FieldElement& f)
{
    uint8_t s[32] = {};
    toBytes(s, f);
    return s[0] & 1;
}

constexpr bool equal(const FieldElement& f, const FieldElement& g)
{
    uint8_t a[32] = {};
    uint8_t b[32] = {};
    toBytes(a, f);
    toBytes(b, g);
    uint8_t difference = 0;
    for (int i = 0; i < 32; ++i) {
        difference |= a[i] ^ b[i];
    }
    return difference == 0;
}

// Moves g into f when bit is 1, leaves f when it is 0 (bit must be 0 or 1).
constexpr void conditionalMove(FieldElement& f, const FieldElement& g, uint64_t bit)
{
    const uint64_t mask = 0 - bit;
    f.limb[0] ^= mask & (f.limb[0] ^ g.limb[0]);
    f.limb[1] ^= mask & (f.limb[1] ^ g.limb[1]);
    f.limb[2] ^= mask & (f.limb[2] ^ g.limb[2]);
    f.limb[3] ^= mask & (f.limb[3] ^ g.limb[3]);
    f.limb[4] ^= mask & (f.limb[4] ^ g.limb[4]);
}

// Swaps f and g when bit is 1 (bit must be 0 or 1).
constexpr void conditionalSwap(FieldElement& f, FieldElement& g, uint64_t bit)
{
    const uint64_t mask = 0 - bit;
    const uint64_t x0 = mask & (f.limb[0] ^ g.limb[0]);
    const uint64_t x1 = mask & (f.limb[1] ^ g.limb[1]);
    const uint64_t x2 = mask & (f.limb[2] ^ g.limb[2]);
    const uint64_t x3 = mask & (f.limb[3] ^ g.limb[3]);
    const uint64_t x4 = mask & (f.limb[4] ^ g.limb[4]);
    f = {{f.limb[0] ^ x0, f.limb[1] ^ x1, f.limb[2] ^ x2, f.limb[3] ^ x3, f.limb[4] ^ x4}};
    g = {{g.limb[0] ^ x0, g.limb[1] ^ x1, g.limb[2] ^ x2, g.limb[3] ^ x3, g.limb[4] ^ x4}};
}

} // namespace curve25519
