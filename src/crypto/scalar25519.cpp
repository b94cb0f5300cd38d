#include "crypto/scalar25519.h"

#include <openssl/crypto.h>

#include <array>
#include <cstddef>

namespace curve25519 {
namespace {

__extension__ typedef unsigned __int128 uint128_t;

// Numbers here are arrays of 64-bit limbs, least significant first.
template <size_t N>
using Limbs = std::array<uint64_t, N>;

constexpr Limbs<5> kOrder = {0x5812631a5cf5d3ed, 0x14def9dea2f79cd6, 0, 0x1000000000000000, 0};

// mu = floor(2^512 / L) for Barrett reduction, by binary long division.
constexpr Limbs<5> barrettConstant()
{
    Limbs<5> quotient{};
    Limbs<5> remainder{};
    for (int bit = 512; bit >= 0; --bit) {
        // remainder = 2 * remainder + (bit 512 of 2^512), then subtract L when it fits.
        for (int i = 4; i > 0; --i) {
            remainder[i] = (remainder[i] << 1) | (remainder[i - 1] >> 63);
        }
        remainder[0] = (remainder[0] << 1) | (bit == 512 ? 1 : 0);
        bool fits = true;
        for (int i = 4; i >= 0; --i) {
            if (remainder[i] != kOrder[i]) {
                fits = remainder[i] > kOrder[i];
                break;
            }
        }
        if (fits) {
            uint64_t borrow = 0;
            for (int i = 0; i < 5; ++i) {
                const uint128_t difference = uint128_t{remainder[i]} - kOrder[i] - borrow;
                remainder[i] = static_cast<uint64_t>(difference);
                borrow = static_cast<uint64_t>(difference >> 64) & 1;
            }
            quotient[bit / 64] |= uint64_t{1} << (bit % 64);
        }
    }
    return quotient;
}

constexpr Limbs<5> kBarrett = barrettConstant();

template <size_t N, size_t M>
Limbs<N + M> multiply(const Limbs<N>& a, const Limbs<M>& b)
{
    Limbs<N + M> product{};
    for (size_t i = 0; i < N; ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < M; ++j) {
            const uint128_t t = uint128_t{a[i]} * b[j] + product[i + j] + carry;
            product[i + j] = static_cast<uint64_t>(t);
            carry = static_cast<uint64_t>(t >> 64);
        }
        product[i + M] = carry;
    }
    return product;
}

// r - L when r >= L, else r, without a branch.
void subtractOrderIfAbove(Limbs<5>& r)
{
    Limbs<5> difference{};
    uint64_t borrow = 0;
    for (int i = 0; i < 5; ++i) {
        const uint128_t t = uint128_t{r[i]} - kOrder[i] - borrow;
        difference[i] = static_cast<uint64_t>(t);
        borrow = static_cast<uint64_t>(t >> 64) & 1;
    }
    const uint64_t keepDifference = borrow - 1;
    for (int i = 0; i < 5; ++i) {
        r[i] = (difference[i] & keepDifference) | (r[i] & ~keepDifference);
    }
}

// x mod L for x < 2^512 (Barrett, base 2^64, k = 4): the estimate is at most 2 below the
// true quotient, so two conditional subtractions finish it.
Limbs<4> reduce(const Limbs<8>& x)
{
    const Limbs<5> q1 = {x[3], x[4], x[5], x[6], x[7]};
    const Limbs<10> q2 = multiply(q1, kBarrett);
    const Limbs<5> q3 = {q2[5], q2[6], q2[7], q2[8], q2[9]};
    const Limbs<10> q3TimesOrder = multiply(q3, kOrder);
    Limbs<5> r{};
    uint64_t borrow = 0;
    for (int i = 0; i < 5; ++i) {
        const uint128_t t = uint128_t{x[i]} - q3TimesOrder[i] - borrow;
        r[i] = static_cast<uint64_t>(t);
        borrow = static_cast<uint64_t>(t >> 64) & 1;
    }
    subtractOrderIfAbove(r);
    subtractOrderIfAbove(r);
    return {r[0], r[1], r[2], r[3]};
}

template <size_t N>
Limbs<N> load(const uint8_t* bytes)
{
    Limbs<N> limbs{};
    for (size_t i = 0; i < N; ++i) {
        for (int j = 7; j >= 0; --j) {
            limbs[i] = (limbs[i] << 8) | bytes[8 * i + j];
        }
    }
    return limbs;
}

void store(uint8_t out[32], const Limbs<4>& limbs)
{
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 8; ++j) {
            out[8 * i + j] = static_cast<uint8_t>(limbs[i] >> (8 * j));
        }
    }
}

} // namespace

void scalarReduce(uint8_t out[32], const uint8_t in[64])
{
    Limbs<8> x = load<8>(in);
    Limbs<4> r = reduce(x);
    store(out, r);
    OPENSSL_cleanse(x.data(), sizeof x);
    OPENSSL_cleanse(r.data(), sizeof r);
}

void scalarMultiplyAdd(uint8_t out[32], const uint8_t a[32], const uint8_t b[32], const uint8_t c[32])
{
    Limbs<4> factorA = load<4>(a);
    Limbs<4> factorB = load<4>(b);
    Limbs<4> addend = load<4>(c);
    Limbs<8> x = multiply(factorA, factorB);
    // a * b + c < 2^512 as long as a * b < 2^512 - 2^256, true for the a < L and b < 2^256 of signing.
    uint64_t carry = 0;
    for (int i = 0; i < 8; ++i) {
        const uint128_t t = uint128_t{x[i]} + (i < 4 ? addend[i] : 0) + carry;
        x[i] = static_cast<uint64_t>(t);
        carry = static_cast<uint64_t>(t >> 64);
    }
    Limbs<4> r = reduce(x);
    store(out, r);
    OPENSSL_cleanse(factorA.data(), sizeof factorA);
    OPENSSL_cleanse(factorB.data(), sizeof factorB);
    OPENSSL_cleanse(addend.data(), sizeof addend);
    OPENSSL_cleanse(x.data(), sizeof x);
    OPENSSL_cleanse(r.data(), sizeof r);
}

} // namespace curve25519
