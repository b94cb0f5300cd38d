#include "PairVerify.h"

#include "Crypto.h"

#include <algorithm>

namespace {

constexpr int refused = 403;
constexpr std::size_t bodyLength = 68;

PairVerify::Answer refuse(std::string problem)
{
    PairVerify::Answer answer;
    answer.status = refused;
    answer.problem = std::move(problem);
    return answer;
}

Bytes derive(std::string_view label, ByteView secret)
{
    Bytes digest = crypto::sha512(concat({asBytes(label), secret}));
    digest.resize(16);
    return digest;
}

} // namespace

PairVerify::PairVerify() = default;

PairVerify::~PairVerify() = default;

PairVerify::Answer PairVerify::handle(ByteView body, const Ed25519Key& identity,
                                      const std::vector<Bytes>& registeredKeys)
{
    if (body.size() != bodyLength) {
        exchange_.reset();
        return refuse("pair-verify body is " + std::to_string(body.size()) + " bytes, not 68");
    }
    static constexpr std::uint8_t startFlag[] = {1, 0, 0, 0};
    static constexpr std::uint8_t finishFlag[] = {0, 0, 0, 0};
    if (std::equal(body.begin(), body.begin() + 4, startFlag))
        return start(body, identity, registeredKeys);
    if (std::equal(body.begin(), body.begin() + 4, finishFlag))
        return finish(body);
    exchange_.reset();
    return refuse("pair-verify body starts with " + toHex(body.first(4)) + ", not 01000000 or 00000000");
}

PairVerify::Answer PairVerify::start(ByteView body, const Ed25519Key& identity,
                                     const std::vector<Bytes>& registeredKeys)
{
    exchange_.reset();
    ByteView clientPublic = body.subspan(4, 32);
    ByteView clientIdentity = body.subspan(36, 32);
    bool registered = std::any_of(registeredKeys.begin(), registeredKeys.end(), [&](const Bytes& key) {
        return std::equal(key.begin(), key.end(), clientIdentity.begin(), clientIdentity.end());
    });
    if (!registered)
        return refuse("pair-verify step 1: Ed25519 key " + toHex(clientIdentity) + " was never registered");

    X25519Key own = X25519Key::generate();
    std::optional<Bytes> shared = own.sharedSecret(clientPublic);
    if (!shared)
        return refuse("pair-verify step 1: client X25519 value gives no shared secret");
    Bytes key = derive("Pair-Verify-AES-Key", *shared);
    Bytes counterBlock = derive("Pair-Verify-AES-IV", *shared);
    crypto::wipe(*shared);
    exchange_ = std::make_unique<Exchange>(Exchange{Bytes(clientPublic.begin(), clientPublic.end()),
                                                    Bytes(clientIdentity.begin(), clientIdentity.end()),
                                                    std::move(own), AesCtr(key, counterBlock)});
    crypto::wipe(key);
    crypto::wipe(counterBlock);

    Bytes signature = identity.sign(concat({exchange_->own.publicKey(), exchange_->clientPublic}));
    Answer answer;
    answer.body = concat({exchange_->own.publicKey(), exchange_->cipher.apply(signature)});
    return answer;
}

PairVerify::Answer PairVerify::finish(ByteView body)
{
    std::unique_ptr<Exchange> exchange = std::move(exchange_);
    if (!exchange)
        return refuse("pair-verify step 2 without step 1 on this connection");
    Bytes signature = exchange->cipher.apply(body.subspan(4));
    Bytes message = concat({exchange->clientPublic, exchange->own.publicKey()});
    if (!crypto::ed25519Verify(exchange->clientIdentity, message, signature))
        return refuse("pair-verify step 2: client signature does not verify");
    Answer answer;
    answer.verified = true;
    return answer;
}
