#pragma once

// Ed25519 (RFC 8032, pure form: no context, no pre-hash): key pair from a seed and signing.
// Secret data chooses no branch and no memory address, and is wiped before returning.

#include <cstddef>
#include <cstdint>

constexpr size_t kEd25519SeedSize = 32;
constexpr size_t kEd25519PublicKeySize = 32;
// The expanded private key: SHA-512(seed) with bytes 0 and 31 clamped. Bytes 0 to 31 are the
// secret scalar (little-endian), bytes 32 to 63 the signing prefix. The seed is not kept.
constexpr size_t kEd25519PrivateKeySize = 64;
constexpr size_t kEd25519SignatureSize = 64;

void ed25519_make_keypair(uint8_t publicKey[kEd25519PublicKeySize],
                          uint8_t privateKey[kEd25519PrivateKeySize], const uint8_t seed[kEd25519SeedSize]);

// Signs message with the expanded private key. publicKey must be the one made with it; message
// may be null when messageLength is 0.
void ed25519_make_signature(uint8_t signature[kEd25519SignatureSize], const uint8_t* message,
                            size_t messageLength, const uint8_t publicKey[kEd25519PublicKeySize],
                            const uint8_t privateKey[kEd25519PrivateKeySize]);
