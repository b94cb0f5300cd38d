#pragma once

#include "SimClient.h"

#include <optional>
#include <string>

// Walks a connection through PIN pair-setup and pair-verify the way our client does, one
// request per call, keeping the client's state in between. Its checks of the answers use the
// client rules of ClientCrypto.
class PairingDriver
{
public:
    // `seed` is the client's Ed25519 seed (random when empty), `user` the device identifier.
    explicit PairingDriver(SimClient& client, std::string seed = {}, std::string user = "4e:2a:91:0c:d7:35");

    HttpReply pinStart();
    // Step 1 of pair-setup: method "pin" and the user.
    HttpReply start();
    // Step 2: A and M for this PIN, from step 1's salt and B.
    HttpReply prove(std::string_view pin);
    // Whether an answer to step 2 carries the proof H(A || M || K) our client expects.
    bool serverProofMatches(const HttpReply& reply) const;
    // Step 3: the client's Ed25519 key under AES-GCM; `spoilTag` flips a tag bit.
    HttpReply sendKey(bool spoilTag = false);
    // The receiver's Ed25519 key, decrypted from step 3's answer (under the reply IV); empty
    // when it does not open.
    std::string receiverIdentity(const HttpReply& reply) const;
    // Pair-verify step 1 with a new X25519 pair; `identity` replaces the Ed25519 key sent.
    HttpReply verifyStart(std::optional<std::string> identity = std::nullopt);
    // Whether the 96-byte answer's encrypted signature verifies with `receiverKey`, over the
    // receiver's X25519 value followed by ours. Starts the keystream the finish continues.
    bool receiverSignatureValid(const HttpReply& reply, const std::string& receiverKey);
    // Pair-verify step 2: our signature, encrypted with the continued keystream.
    HttpReply verifyFinish(bool spoilSignature = false);

    // Every step with this PIN; true when each was answered 200 and every check held.
    bool pair(std::string_view pin);

    const std::string& salt() const { return salt_; }
    const std::string& seed() const { return seed_; }

private:
    std::string post(std::string_view path, std::string_view contentType, std::string_view body) const;

    SimClient& client_;
    std::string user_;
    std::string salt_;
    std::string serverPublic_;
    std::string sessionKey_;
    std::string expectedServerProof_;
    std::string seed_;
    std::string xSecret_;
    std::string xPublic_;
    std::string receiverPublic_;
    std::string ctrKey_;
    std::string ctrIv_;
    std::string receiverCipher_; // the receiver's 64 encrypted bytes
};
