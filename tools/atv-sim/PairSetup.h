#pragma once

#include "Bytes.h"
#include "PlistDict.h"
#include "SrpServer.h"

#include <memory>
#include <optional>

// The answer to a wrong PIN: a bare 500, or a 200 with a server proof the client must refuse.
enum class WrongPinReply
{
    Status,
    Proof
};

// One connection's "/pair-setup-pin" exchange: SRP-6a start, proof check, then the client's
// Ed25519 key received under AES-GCM. The step is chosen by the keys of the request body.
class PairSetup
{
public:
    struct Settings
    {
        std::optional<std::string> pin; // none until a PIN has been shown
        WrongPinReply wrongPinReply = WrongPinReply::Status;
        std::optional<Bytes> salt; // none: a random 16-byte salt per exchange
        const Bytes& identityPublicKey;
    };

    struct Answer
    {
        int status = 200;
        Bytes body;                     // a binary property list when status is 200
        std::string problem;            // why the request was refused, or what went wrong
        std::optional<Bytes> clientKey; // the client's Ed25519 public key, once received
    };

    PairSetup();
    ~PairSetup();
    PairSetup(const PairSetup&) = delete;
    PairSetup& operator=(const PairSetup&) = delete;

    Answer handle(const PlistDict& body, const Settings& settings);

private:
    Answer start(const PlistDict& body, const Settings& settings);
    Answer checkProof(const PlistDict& body, const Settings& settings);
    Answer receiveKey(const PlistDict& body, const Settings& settings);
    void reset();

    std::unique_ptr<SrpServer> srp_;
    Bytes sessionKey_; // K, once the client's proof has matched
};
