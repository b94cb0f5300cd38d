#include "PairingDriver.h"

#include "ClientCrypto.h"

PairingDriver::PairingDriver(SimClient& client, std::string seed, std::string user)
    : client_(client), user_(std::move(user)), seed_(seed.empty() ? client::randomBytes(32) : std::move(seed))
{
}

std::string PairingDriver::post(std::string_view path, std::string_view contentType,
                                std::string_view body) const
{
    std::vector<std::pair<std::string, std::string>> headers = {{"X-Apple-Device-ID", user_}};
    if (!contentType.empty())
        headers.emplace_back("Content-Type", contentType);
    return makeRequest("POST", path, headers, body);
}

HttpReply PairingDriver::pinStart()
{
    return client_.exchange(
        "POST /pair-pin-start HTTP/1.1 \r\n"
        "User-Agent: iTunes/10.6 (Macintosh; Intel Mac OS X 10.7.3) AppleWebKit/535.18.5\r\n"
        "Content-Type: text/parameters\r\n\r\n");
}

HttpReply PairingDriver::start()
{
    HttpReply reply =
        client_.exchange(post("/pair-setup-pin", "", client::plist({{"method", "pin"}, {"user", user_}})));
    if (auto values = client::plistValues(reply.body)) {
        salt_ = (*values)["salt"];
        serverPublic_ = (*values)["pk"];
    }
    return reply;
}

HttpReply PairingDriver::prove(std::string_view pin)
{
    client::SrpExchange srp = client::srpRespond(user_, pin, salt_, serverPublic_, client::randomBytes(32));
    sessionKey_ = srp.sessionKey;
    expectedServerProof_ = srp.serverProof;
    return client_.exchange(post(
        "/pair-setup-pin", "application/x-apple-binary-plist",
        client::plist({{"pk", client::Data{srp.clientPublic}}, {"proof", client::Data{srp.clientProof}}})));
}

bool PairingDriver::serverProofMatches(const HttpReply& reply) const
{
    auto values = client::plistValues(reply.body);
    return values && (*values)["proof"] == expectedServerProof_;
}

HttpReply PairingDriver::sendKey(bool spoilTag)
{
    client::Sealed sealed = client::gcmSeal(client::setupKey(sessionKey_), client::setupIv(sessionKey_),
                                            client::ed25519Public(seed_));
    if (spoilTag)
        sealed.tag[0] = static_cast<char>(sealed.tag[0] ^ 1);
    return client_.exchange(post(
        "/pair-setup-pin", "application/x-apple-binary-plist",
        client::plist({{"epk", client::Data{sealed.ciphertext}}, {"authTag", client::Data{sealed.tag}}})));
}

std::string PairingDriver::receiverIdentity(const HttpReply& reply) const
{
    auto values = client::plistValues(reply.body);
    if (!values)
        return {};
    return client::gcmOpen(client::setupKey(sessionKey_), client::setupReplyIv(sessionKey_), (*values)["epk"],
                           (*values)["authTag"])
        .value_or("");
}

HttpReply PairingDriver::verifyStart(std::optional<std::string> identity)
{
    xSecret_ = client::randomBytes(32);
    xPublic_ = client::x25519Public(xSecret_);
    std::string body =
        std::string("\1\0\0\0", 4) + xPublic_ + identity.value_or(client::ed25519Public(seed_));
    HttpReply reply = client_.exchange(post("/pair-verify", "application/octet-stream", body));
    if (reply.body.size() == 96) {
        receiverPublic_ = reply.body.substr(0, 32);
        receiverCipher_ = reply.body.substr(32);
        std::string shared = client::x25519Shared(xSecret_, receiverPublic_);
        ctrKey_ = client::verifyKey(shared);
        ctrIv_ = client::verifyIv(shared);
    }
    return reply;
}

bool PairingDriver::receiverSignatureValid(const HttpReply& reply, const std::string& receiverKey)
{
    if (reply.body.size() != 96)
        return false;
    client::Ctr ctr(ctrKey_, ctrIv_);
    std::string signature = ctr.apply(reply.body.substr(32));
    return client::ed25519Verify(receiverKey, receiverPublic_ + xPublic_, signature);
}

HttpReply PairingDriver::verifyFinish(bool spoilSignature)
{
    client::Ctr ctr(ctrKey_, ctrIv_);
    ctr.apply(receiverCipher_);
    std::string signature = client::ed25519Sign(seed_, xPublic_ + receiverPublic_);
    if (spoilSignature)
        signature[5] = static_cast<char>(signature[5] ^ 0x40);
    std::string body = std::string(4, '\0') + ctr.apply(signature);
    return client_.exchange(post("/pair-verify", "application/octet-stream", body));
}

bool PairingDriver::pair(std::string_view pin)
{
    if (start().status != 200)
        return false;
    HttpReply proof = prove(pin);
    if (proof.status != 200 || !serverProofMatches(proof))
        return false;
    HttpReply key = sendKey();
    std::string receiverKey = receiverIdentity(key);
    if (key.status != 200 || receiverKey.size() != 32)
        return false;
    HttpReply verify = verifyStart();
    if (verify.status != 200 || !receiverSignatureValid(verify, receiverKey))
        return false;
    return verifyFinish().status == 200;
}
