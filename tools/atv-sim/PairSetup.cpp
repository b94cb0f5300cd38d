#include "PairSetup.h"

#include "Crypto.h"

namespace {

constexpr int failed = 500;

// Key and IV of the Ed25519 keys exchanged at the end of pair-setup: SHA-512 of a label and
// K, 16 bytes each. The IV's last byte is incremented modulo 256 with no carry: once for the
// client's key, once more for ours, so that no IV is used twice under the key (as a real
// Apple TV does).
Bytes derive(std::string_view label, ByteView sessionKey)
{
    Bytes digest = crypto::sha512(concat({asBytes(label), sessionKey}));
    digest.resize(16);
    return digest;
}

Bytes setupIv(ByteView sessionKey, std::uint8_t increment)
{
    Bytes iv = derive("Pair-Setup-AES-IV", sessionKey);
    iv[15] = static_cast<std::uint8_t>(iv[15] + increment);
    return iv;
}

PairSetup::Answer refuse(int status, std::string problem)
{
    PairSetup::Answer answer;
    answer.status = status;
    answer.problem = std::move(problem);
    return answer;
}

} // namespace

PairSetup::PairSetup() = default;

PairSetup::~PairSetup()
{
    crypto::wipe(sessionKey_);
}

void PairSetup::reset()
{
    srp_.reset();
    crypto::wipe(sessionKey_);
}

PairSetup::Answer PairSetup::handle(const PlistDict& body, const Settings& settings)
{
    if (body.has("method") || body.has("user"))
        return start(body, settings);
    if (body.has("pk") && body.has("proof"))
        return checkProof(body, settings);
    if (body.has("epk") && body.has("authTag"))
        return receiveKey(body, settings);
    return refuse(400, "pair-setup body has none of method/user, pk/proof, epk/authTag");
}

PairSetup::Answer PairSetup::start(const PlistDict& body, const Settings& settings)
{
    reset();
    std::optional<std::string> method = body.text("method");
    std::optional<std::string> user = body.text("user");
    if (method != "pin" || !user)
        return refuse(400, "pair-setup step 1 needs method \"pin\" and a user text");
    if (!settings.pin)
        return refuse(failed, "pair-setup step 1 before any PIN was shown (POST /pair-pin-start first)");
    Bytes salt = settings.salt ? *settings.salt : crypto::randomBytes(16);
    srp_ = std::make_unique<SrpServer>(*user, asBytes(*settings.pin), salt);
    Answer answer;
    answer.body = PlistDict::writeBinary({{"pk", srp_->publicValue()}, {"salt", srp_->salt()}});
    return answer;
}

PairSetup::Answer PairSetup::checkProof(const PlistDict& body, const Settings& settings)
{
    std::optional<Bytes> clientValue = body.data("pk");
    std::optional<Bytes> clientProof = body.data("proof");
    if (!clientValue || !clientProof)
        return refuse(400, "pair-setup step 2 needs pk and proof as data");
    if (!srp_) {
        reset();
        return refuse(failed, "pair-setup step 2 without step 1 on this connection");
    }
    if (!srp_->receiveClientValue(*clientValue)) {
        reset();
        return refuse(failed, "pair-setup step 2: A is 0 mod N or u is 0");
    }
    if (!crypto::equalInConstantTime(*clientProof, srp_->expectedClientProof())) {
        Answer answer = refuse(failed, "pair-setup step 2: client proof does not match (wrong PIN?)");
        if (settings.wrongPinReply == WrongPinReply::Proof) {
            answer.status = 200;
            answer.body = PlistDict::writeBinary({{"proof", srp_->serverProof(srp_->expectedClientProof())}});
        }
        reset();
        return answer;
    }
    Answer answer;
    answer.body = PlistDict::writeBinary({{"proof", srp_->serverProof(*clientProof)}});
    sessionKey_ = srp_->sessionKey();
    srp_.reset();
    return answer;
}

PairSetup::Answer PairSetup::receiveKey(const PlistDict& body, const Settings& settings)
{
    std::optional<Bytes> encryptedKey = body.data("epk");
    std::optional<Bytes> tag = body.data("authTag");
    if (!encryptedKey || !tag)
        return refuse(400, "pair-setup step 3 needs epk and authTag as data");
    if (sessionKey_.empty()) {
        reset();
        return refuse(failed, "pair-setup step 3 before a matching proof on this connection");
    }
    Bytes key = derive("Pair-Setup-AES-Key", sessionKey_);
    Bytes clientIv = setupIv(sessionKey_, 1);
    Bytes ownIv = setupIv(sessionKey_, 2);
    reset();
    if (encryptedKey->size() != 32 || tag->size() != 16) {
        crypto::wipe(key);
        return refuse(failed, "pair-setup step 3: epk must be 32 bytes and authTag 16");
    }
    std::optional<Bytes> clientKey = crypto::aesGcmDecrypt(key, clientIv, *encryptedKey, *tag);
    if (!clientKey) {
        crypto::wipe(key);
        return refuse(failed, "pair-setup step 3: authTag does not match");
    }
    crypto::Sealed own = crypto::aesGcmEncrypt(key, ownIv, settings.identityPublicKey);
    crypto::wipe(key);
    Answer answer;
    answer.body = PlistDict::writeBinary({{"epk", own.ciphertext}, {"authTag", own.tag}});
    answer.clientKey = std::move(clientKey);
    return answer;
}
