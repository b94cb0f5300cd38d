#include "crypto/x25519.h"

#include "crypto/field25519.h"

#include <openssl/crypto.h>

#include <cstring>

using curve25519::FieldElement;

const uint8_t kX25519BasePoint[kX25519Size] = {9};

void x25519_multiply(uint8_t out[kX25519Size], const uint8_t scalar[kX25519Size],
                     const uint8_t u[kX25519Size])
{
    uint8_t k[kX25519Size];
    std::memcpy(k, scalar, sizeof k);
    k[0] &= 248;
    k[31] &= 127;
    k[31] |= 64;

    // The Montgomery ladder of RFC 7748, section 5.
    const FieldElement x1 = curve25519::fromBytes(u);
    FieldElement x2 = curve25519::fieldOne();
    FieldElement z2 = curve25519::fieldZero();
    FieldElement x3 = x1;
    FieldElement z3 = curve25519::fieldOne();
    uint64_t swap = 0;
    for (int t = 254; t >= 0; --t) {
        const uint64_t bit = (k[t >> 3] >> (t & 7)) & 1;
        swap ^= bit;
        curve25519::conditionalSwap(x2, x3, swap);
        curve25519::conditionalSwap(z2, z3, swap);
        swap = bit;

        const FieldElement a = curve25519::add(x2, z2);
        const FieldElement aa = curve25519::square(a);
        const FieldElement b = curve25519::sub(x2, z2);
        const FieldElement bb = curve25519::square(b);
        const FieldElement e = curve25519::sub(aa, bb);
        const FieldElement c = curve25519::add(x3, z3);
        const FieldElement d = curve25519::sub(x3, z3);
        const FieldElement da = curve25519::mul(d, a);
        const FieldElement cb = curve25519::mul(c, b);
        x3 = curve25519::square(curve25519::add(da, cb));
        z3 = curve25519::mul(x1, curve25519::square(curve25519::sub(da, cb)));
        x2 = curve25519::mul(aa, bb);
        z2 = curve25519::mul(e, curve25519::add(aa, curve25519::mulSmall(e, 121665)));
    }
    curve25519::conditionalSwap(x2, x3, swap);
    curve25519::conditionalSwap(z2, z3, swap);

    curve25519::toBytes(out, curve25519::mul(x2, curve25519::invert(z2)));

    OPENSSL_cleanse(k, sizeof k);
    OPENSSL_cleanse(&x2, sizeof x2);
    OPENSSL_cleanse(&z2, sizeof z2);
    OPENSSL_cleanse(&x3, sizeof x3);
    OPENSSL_cleanse(&z3, sizeof z3);
}
