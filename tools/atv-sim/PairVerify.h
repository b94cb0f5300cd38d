#pragma once

#include "AesCtr.h"
#include "Bytes.h"
#include "Ed25519Key.h"
#include "X25519Key.h"

#include <memory>
#include <optional>
#include <vector>

// One connection's "/pair-verify" handshake. Step 1 (body 01 00 00 00, client X25519 public,
// client Ed25519 public) answers this side's X25519 public and its signature encrypted with
// AES-128-CTR; step 2 (00 00 00 00, encrypted client signature) is decrypted with the same,
// continued keystream and checked against the registered Ed25519 key.
class PairVerify
{
public:
    struct Answer
    {
        int status = 200;
        Bytes body; // 96 bytes after step 1, empty after step 2
        std::string problem;
        bool verified = false; // step 2 checked out
    };

    PairVerify();
    ~PairVerify();
    PairVerify(const PairVerify&) = delete;
    PairVerify& operator=(const PairVerify&) = delete;

    Answer handle(ByteView body, const Ed25519Key& identity, const std::vector<Bytes>& registeredKeys);

private:
    Answer start(ByteView body, const Ed25519Key& identity, const std::vector<Bytes>& registeredKeys);
    Answer finish(ByteView body);

    struct Exchange
    {
        Bytes clientPublic;
        Bytes clientIdentity;
        X25519Key own;
        AesCtr cipher;
    };
    std::unique_ptr<Exchange> exchange_;
};
