#include "crypto/edwards25519.h"

#include "crypto/field25519.h"

#include <openssl/crypto.h>

#include <array>

namespace curve25519 {
namespace {

// Extended coordinates: x = X/Z, y = Y/Z, x*y = T/Z.
struct ExtendedPoint
{
    FieldElement X, Y, Z, T;
};

// An affine point kept as (y + x, y - x, 2*d*x*y), the form the mixed addition consumes.
struct CachedAffinePoint
{
    FieldElement yPlusX, yMinusX, xy2d;
};

constexpr FieldElement curveConstantD()
{
    return mul(negate(fieldFromSmall(121665)), invert(fieldFromSmall(121666)));
}

constexpr FieldElement kD2 = add(curveConstantD(), curveConstantD());

constexpr FieldElement fieldFromLittleEndian(const std::array<uint8_t, 32>& bytes)
{
    return fromBytes(bytes.data());
}

// The base point B: y = 4/5 and x the positive root.
constexpr FieldElement kBaseX = fieldFromLittleEndian({
    0x1a, 0xd5, 0x25, 0x8f, 0x60, 0x2d, 0x56, 0xc9, 0xb2, 0xa7, 0x25, 0x95, 0x60, 0xc7, 0x2c, 0x69,
    0x5c, 0xdc, 0xd6, 0xfd, 0x31, 0xe2, 0xa4, 0xc0, 0xfe, 0x53, 0x6e, 0xcd, 0xd3, 0x36, 0x69, 0x21,
});
constexpr FieldElement kBaseY = mul(fieldFromSmall(4), invert(fieldFromSmall(5)));

constexpr bool isOnCurve(const FieldElement& x, const FieldElement& y)
{
    const FieldElement xx = square(x);
    const FieldElement yy = square(y);
    const FieldElement left = sub(yy, xx);
    const FieldElement right = add(fieldOne(), mul(curveConstantD(), mul(xx, yy)));
    return equal(left, right);
}
static_assert(isOnCurve(kBaseX, kBaseY), "the base point lies on edwards25519");
static_assert(isNegative(kBaseX) == 0, "the base point has the positive x");

constexpr ExtendedPoint identity()
{
    return {fieldZero(), fieldOne(), fieldOne(), fieldZero()};
}

constexpr ExtendedPoint addPoints(const ExtendedPoint& p, const ExtendedPoint& q)
{
    const FieldElement a = mul(sub(p.Y, p.X), sub(q.Y, q.X));
    const FieldElement b = mul(add(p.Y, p.X), add(q.Y, q.X));
    const FieldElement c = mul(mul(p.T, kD2), q.T);
    const FieldElement zz = mul(p.Z, q.Z);
    const FieldElement d = add(zz, zz);
    const FieldElement e = sub(b, a);
    const FieldElement f = sub(d, c);
    const FieldElement g = add(d, c);
    const FieldElement h = add(b, a);
    return {mul(e, f), mul(g, h), mul(f, g), mul(e, h)};
}

constexpr ExtendedPoint addCached(const ExtendedPoint& p, const CachedAffinePoint& q)
{
    const FieldElement a = mul(sub(p.Y, p.X), q.yMinusX);
    const FieldElement b = mul(add(p.Y, p.X), q.yPlusX);
    const FieldElement c = mul(p.T, q.xy2d);
    const FieldElement d = add(p.Z, p.Z);
    const FieldElement e = sub(b, a);
    const FieldElement f = sub(d, c);
    const FieldElement g = add(d, c);
    const FieldElement h = add(b, a);
    return {mul(e, f), mul(g, h), mul(f, g), mul(e, h)};
}

constexpr ExtendedPoint doublePoint(const ExtendedPoint& p)
{
    const FieldElement xx = square(p.X);
    const FieldElement yy = square(p.Y);
    const FieldElement zz = square(p.Z);
    const FieldElement c = add(zz, zz);
    const FieldElement h = add(xx, yy);
    const FieldElement e = sub(h, square(add(p.X, p.Y)));
    const FieldElement g = sub(xx, yy);
    const FieldElement f = add(c, g);
    return {mul(e, f), mul(g, h), mul(f, g), mul(e, h)};
}

// kBaseTable[i][j] = (j + 1) * 256^i * B, for the signed radix-16 digits of scalarMultiplyBase.
using BaseTable = std::array<std::array<CachedAffinePoint, 8>, 32>;

constexpr BaseTable makeBaseTable()
{
    std::array<ExtendedPoint, 256> multiples{};
    ExtendedPoint rowBase = {kBaseX, kBaseY, fieldOne(), mul(kBaseX, kBaseY)};
    for (int i = 0; i < 32; ++i) {
        multiples[8 * i] = rowBase;
        for (int j = 1; j < 8; ++j) {
            multiples[8 * i + j] = addPoints(multiples[8 * i + j - 1], rowBase);
        }
        for (int k = 0; k < 8; ++k) {
            rowBase = doublePoint(rowBase);
        }
    }
    // One inversion for all 256 Z coordinates (Montgomery's trick).
    std::array<FieldElement, 256> prefix{};
    FieldElement running = fieldOne();
    for (int n = 0; n < 256; ++n) {
        prefix[n] = running;
        running = mul(running, multiples[n].Z);
    }
    FieldElement inverse = invert(running);
    BaseTable table{};
    for (int n = 255; n >= 0; --n) {
        const FieldElement zInverse = mul(inverse, prefix[n]);
        inverse = mul(inverse, multiples[n].Z);
        const FieldElement x = mul(multiples[n].X, zInverse);
        const FieldElement y = mul(multiples[n].Y, zInverse);
        table[n / 8][n % 8] = {carry(add(y, x)), sub(y, x), mul(mul(x, y), kD2)};
    }
    return table;
}

constexpr BaseTable kBaseTable = makeBaseTable();

void conditionalMove(CachedAffinePoint& p, const CachedAffinePoint& q, uint64_t bit)
{
    conditionalMove(p.yPlusX, q.yPlusX, bit);
    conditionalMove(p.yMinusX, q.yMinusX, bit);
    conditionalMove(p.xy2d, q.xy2d, bit);
}

// digit * 256^row * B for digit in [-8, 8], reading every entry of the row.
CachedAffinePoint selectMultiple(int row, int8_t digit)
{
    const uint64_t negative = static_cast<uint8_t>(digit) >> 7;
    const uint64_t magnitude = static_cast<uint64_t>(digit) ^ (0 - negative);
    const uint64_t absolute = (magnitude + negative) & 0xff;
    CachedAffinePoint selected = {fieldOne(), fieldOne(), fieldZero()};
    for (uint64_t j = 0; j < 8; ++j) {
        const uint64_t isMatch = ((absolute ^ (j + 1)) - 1) >> 63;
        conditionalMove(selected, kBaseTable[row][j], isMatch);
    }
    // -(x, y) = (-x, y): swaps y + x with y - x and negates 2dxy.
    const CachedAffinePoint negated = {selected.yMinusX, selected.yPlusX, negate(selected.xy2d)};
    conditionalMove(selected, negated, negative);
    return selected;
}

void encode(uint8_t out[32], const ExtendedPoint& p)
{
    const FieldElement zInverse = invert(p.Z);
    const FieldElement x = mul(p.X, zInverse);
    const FieldElement y = mul(p.Y, zInverse);
    toBytes(out, y);
    out[31] ^= static_cast<uint8_t>(isNegative(x) << 7);
}

} // namespace

void scalarMultiplyBase(uint8_t encodedPoint[32], const uint8_t scalar[32])
{
    // Signed radix-16 digits e[0..63] in [-8, 8) (the last in [0, 8]), scalar = sum e[i] 16^i.
    int8_t digits[64];
    for (int i = 0; i < 32; ++i) {
        digits[2 * i] = static_cast<int8_t>(scalar[i] & 15);
        digits[2 * i + 1] = static_cast<int8_t>(scalar[i] >> 4);
    }
    int8_t carryDigit = 0;
    for (int i = 0; i < 63; ++i) {
        digits[i] = static_cast<int8_t>(digits[i] + carryDigit);
        carryDigit = static_cast<int8_t>((digits[i] + 8) >> 4);
        digits[i] = static_cast<int8_t>(digits[i] - carryDigit * 16);
    }
    digits[63] = static_cast<int8_t>(digits[63] + carryDigit);

    // sum over odd digits, times 16, plus the even digits.
    ExtendedPoint h = identity();
    for (int i = 0; i < 32; ++i) {
        h = addCached(h, selectMultiple(i, digits[2 * i + 1]));
    }
    for (int k = 0; k < 4; ++k) {
        h = doublePoint(h);
    }
    for (int i = 0; i < 32; ++i) {
        h = addCached(h, selectMultiple(i, digits[2 * i]));
    }
    encode(encodedPoint, h);
    OPENSSL_cleanse(digits, sizeof digits);
    OPENSSL_cleanse(&h, sizeof h);
}

} // namespace curve25519
