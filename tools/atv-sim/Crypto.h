#pragma once

#include "Bytes.h"

#include <optional>

// Thin OpenSSL wrappers for the receiver's side of pairing and Digest authorization.
// Each returns its result by value; secrets held by callers are wiped with wipe().
namespace crypto {

Bytes randomBytes(std::size_t count);
void wipe(Bytes& secret);

Bytes sha1(ByteView data);
Bytes sha512(ByteView data);
std::string md5Hex(std::string_view text);

// AES-128-GCM with a caller-chosen IV length (pairing uses 16 bytes), no additional data and
// a 16-byte tag.
struct Sealed
{
    Bytes ciphertext;
    Bytes tag;
};
Sealed aesGcmEncrypt(ByteView key, ByteView iv, ByteView plaintext);
std::optional<Bytes> aesGcmDecrypt(ByteView key, ByteView iv, ByteView ciphertext, ByteView tag);

bool ed25519Verify(ByteView publicKey, ByteView message, ByteView signature);

bool equalInConstantTime(ByteView a, ByteView b);

} // namespace crypto
