#include "crypto/ed25519.h"

#include "crypto/edwards25519.h"
#include "crypto/scalar25519.h"
#include "crypto/sha512.h"

#include <openssl/crypto.h>


namespace {

// sha512_add fails only for a null pointer with a non-zero length, which the callers rule out.
void hashParts(uint8_t digest[kSha512DigestSize], const uint8_t* first, size_t firstLength,
               const uint8_t* second, size_t secondLength, const uint8_t* message, size_t messageLength)
{
    Sha512State state;
    sha512_start(&state);
    (void)sha512_add(&state, first, firstLength);
    (void)sha512_add(&state, second, secondLength);
    (void)sha512_add(&state, message, messageLength);
    sha512_finish(&state, digest);
}

} // namespace

void ed25519_make_keypair(uint8_t publicKey[kEd25519PublicKeySize],
                          uint8_t privateKey[kEd25519PrivateKeySize], const uint8_t seed[kEd25519SeedSize])
{
    (void)sha512_digest(seed, kEd25519SeedSize, privateKey);
    privateKey[0] &= 248;
    privateKey[31] &= 63;
    privateKey[31] |= 64;
    curve25519::scalarMultiplyBase(publicKey, privateKey);
}

void ed25519_make_signature(uint8_t signature[kEd25519SignatureSize], const uint8_t* message,
                            size_t messageLength, const uint8_t publicKey[kEd25519PublicKeySize],
                            const uint8_t privateKey[kEd25519PrivateKeySize])
{
    uint8_t digest[kSha512DigestSize];
    uint8_t nonce[32];
    hashParts(digest, privateKey + 32, 32, message, messageLength, nullptr, 0);
    curve25519::scalarReduce(nonce, digest);
    curve25519::scalarMultiplyBase(signature, nonce);

    uint8_t challenge[32];
    hashParts(digest, signature, 32, publicKey, kEd25519PublicKeySize, message, messageLength);
    curve25519::scalarReduce(challenge, digest);
    curve25519::scalarMultiplyAdd(signature + 32, challenge, privateKey, nonce);

    OPENSSL_cleanse(digest, sizeof digest);
    OPENSSL_cleanse(nonce, sizeof nonce);
}
