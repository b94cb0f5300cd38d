#pragma once

#include "Bytes.h"

#include <memory>
#include <string>

struct bignum_st;

// Frees a big number after clearing it.
struct BignumFree
{
    void operator()(bignum_st* n) const;
};
using BigNumber = std::unique_ptr<bignum_st, BignumFree>;

// The receiver's side of SRP-6a over the 2048-bit group of RFC 5054 (g = 2) with SHA-1, with
// the byte rules our clients follow: every number enters a digest in minimal form except g
// inside k, u is hashed from A and B unpadded, and K is two digests of S with a 4-byte counter.
class SrpServer
{
public:
    // Draws b and computes v = g^x and B = (k v + g^b) mod N.
    SrpServer(std::string_view username, ByteView password, ByteView salt);
    ~SrpServer();
    SrpServer(const SrpServer&) = delete;
    SrpServer& operator=(const SrpServer&) = delete;

    const Bytes& salt() const { return salt_; }
    // B in minimal form.
    const Bytes& publicValue() const { return publicValue_; }

    // Takes the client's A and computes S, K and the proofs this side expects. False when A is
    // 0 mod N or u is 0: the exchange cannot go on.
    bool receiveClientValue(ByteView clientValue);

    // The client proof M this side computes; what a client with the same password sends.
    const Bytes& expectedClientProof() const { return expectedClientProof_; }
    // H(min(A) || M || K) for the given M.
    Bytes serverProof(ByteView clientProof) const;
    const Bytes& sessionKey() const { return sessionKey_; }

private:
    std::string username_;
    Bytes salt_;
    BigNumber verifier_;
    BigNumber secret_;
    Bytes publicValue_;
    Bytes clientValue_;
    Bytes expectedClientProof_;
    Bytes sessionKey_;
};
