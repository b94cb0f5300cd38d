// Replays the recorded pairing with a real Apple TV through the primitives: every byte the
// client sent is determined by the recorded inputs and the Apple TV's answers.

#include "crypto/RandomSource.h"
#include "crypto/aes.h"
#include "crypto/ed25519.h"
#include "crypto/sha512.h"
#include "crypto/srp_client.h"
#include "crypto/x25519.h"

#include "ReplayRandomSource.h"
#include "hex.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kSessionPath = ORVANTA_VECTORS_DIR "/legacy-pairing-session.json";

class PairingSession : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile file(kSessionPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "cannot read the recorded session " << kSessionPath;
        session_ = QJsonDocument::fromJson(file.readAll()).object();
        ASSERT_FALSE(session_.isEmpty()) << kSessionPath << " is not a JSON object";
    }

    // The value at a path such as "pair_setup/step1_response/salt_hex".
    std::string text(const QString& path) const
    {
        QJsonValue value = session_;
        for (const QString& key : path.split('/')) {
            value = value.toObject().value(key);
        }
        EXPECT_TRUE(value.isString()) << path.toStdString() << " is missing";
        return value.toString().toStdString();
    }
    std::vector<uint8_t> bytes(const QString& path) const { return fromHex(text(path)); }

    // SRP up to the checked server proof; gives back K.
    std::vector<uint8_t> pairSetupKey()
    {
        const std::string username = text("inputs/srp_username");
        const std::string pin = text("inputs/pin");
        SRPUser* user = srp_client_create(SRPHashSHA1, SRPGroup2048, username.c_str(),
                                          reinterpret_cast<const uint8_t*>(pin.data()), 4, nullptr, nullptr);
        EXPECT_NE(user, nullptr);
        ReplayRandomSource secretA(bytes("inputs/srp_secret_a_hex"));
        const char* sentUsername = nullptr;
        const uint8_t* bytesA = nullptr;
        int lengthA = 0;
        srp_client_begin(user, &sentUsername, &bytesA, &lengthA, &secretA);
        EXPECT_EQ(sentUsername, username);
        EXPECT_EQ(toHex(bytesA, static_cast<size_t>(lengthA)), text("pair_setup/step2_request/pk_hex"));

        const std::vector<uint8_t> salt = bytes("pair_setup/step1_response/salt_hex");
        const std::vector<uint8_t> B = bytes("pair_setup/step1_response/pk_hex");
        const uint8_t* bytesM = nullptr;
        int lengthM = 0;
        srp_client_respond(user, salt.data(), static_cast<int>(salt.size()), B.data(),
                           static_cast<int>(B.size()), &bytesM, &lengthM);
        EXPECT_EQ(toHex(bytesM, static_cast<size_t>(lengthM)), text("pair_setup/step2_request/proof_hex"));

        const std::vector<uint8_t> serverProof = bytes("pair_setup/step2_response/proof_hex");
        srp_client_check_server(user, serverProof.data(), static_cast<int>(serverProof.size()));
        EXPECT_EQ(srp_client_is_authenticated(user), 1);
        int keyLength = 0;
        const uint8_t* key = srp_client_shared_key(user, &keyLength);
        std::vector<uint8_t> K(key, key + keyLength);
        srp_client_destroy(user);
        return K;
    }

    QJsonObject session_;
};

// The first 16 bytes of SHA-512(label || secret).
std::vector<uint8_t> derive(const std::string& label, const std::vector<uint8_t>& secret)
{
    Sha512State state;
    sha512_start(&state);
    EXPECT_EQ(sha512_add(&state, reinterpret_cast<const uint8_t*>(label.data()), label.size()), 0);
    EXPECT_EQ(sha512_add(&state, secret.data(), secret.size()), 0);
    uint8_t digest[kSha512DigestSize];
    sha512_finish(&state, digest);
    return {digest, digest + 16};
}

TEST_F(PairingSession, SrpGivesTheRecordedAAndProofAndAcceptsTheAppleTvsProof)
{
    EXPECT_EQ(pairSetupKey().size(), 40u);
}

TEST_F(PairingSession, PairSetupStepThreeEncryptsThePublicKeyAsRecorded)
{
    const std::vector<uint8_t> K = pairSetupKey();
    const std::vector<uint8_t> key = derive("Pair-Setup-AES-Key", K);
    std::vector<uint8_t> iv = derive("Pair-Setup-AES-IV", K);
    iv[15] = static_cast<uint8_t>(iv[15] + 1);

    const std::vector<uint8_t> seed = bytes("inputs/ed25519_seed_hex");
    uint8_t publicKey[kEd25519PublicKeySize];
    uint8_t privateKey[kEd25519PrivateKeySize];
    ed25519_make_keypair(publicKey, privateKey, seed.data());

    uint8_t epk[kEd25519PublicKeySize];
    uint8_t tag[kAesGcmTagSize];
    ASSERT_EQ(aes128_gcm_encrypt(key.data(), iv.data(), iv.size(), nullptr, 0, publicKey, sizeof publicKey,
                                 epk, tag),
              AesSuccess);
    EXPECT_EQ(toHex(epk, sizeof epk), text("pair_setup/step3_request/epk_hex"));
    EXPECT_EQ(toHex(tag, sizeof tag), text("pair_setup/step3_request/authTag_hex"));
}

TEST_F(PairingSession, PairVerifyBodiesAreTheRecordedOnes)
{
    const std::vector<uint8_t> seed = bytes("inputs/ed25519_seed_hex");
    uint8_t edPublic[kEd25519PublicKeySize];
    uint8_t edPrivate[kEd25519PrivateKeySize];
    ed25519_make_keypair(edPublic, edPrivate, seed.data());

    const std::vector<uint8_t> secret = bytes("inputs/x25519_secret_hex");
    uint8_t ownPublic[kX25519Size];
    x25519_multiply(ownPublic, secret.data(), kX25519BasePoint);
    std::vector<uint8_t> step1 = {1, 0, 0, 0};
    step1.insert(step1.end(), ownPublic, ownPublic + kX25519Size);
    step1.insert(step1.end(), edPublic, edPublic + kEd25519PublicKeySize);
    EXPECT_EQ(toHex(step1), text("pair_verify/step1_request_hex"));

    const std::vector<uint8_t> reply = bytes("pair_verify/step1_response_hex");
    ASSERT_EQ(reply.size(), 96u);
    std::vector<uint8_t> shared(kX25519Size);
    x25519_multiply(shared.data(), secret.data(), reply.data());

    const std::vector<uint8_t> key = derive("Pair-Verify-AES-Key", shared);
    const std::vector<uint8_t> counter = derive("Pair-Verify-AES-IV", shared);
    AesCtrState* cipher = nullptr;
    ASSERT_EQ(aes128_ctr_create(key.data(), counter.data(), &cipher), AesSuccess);
    std::vector<uint8_t> output(reply.size() - 32);
    size_t moved = 0;
    EXPECT_EQ(
        aes128_ctr_update(cipher, reply.data() + 32, output.size(), output.data(), output.size(), &moved),
        AesSuccess);

    std::vector<uint8_t> signedMessage(ownPublic, ownPublic + kX25519Size);
    signedMessage.insert(signedMessage.end(), reply.begin(), reply.begin() + 32);
    uint8_t signature[kEd25519SignatureSize];
    ed25519_make_signature(signature, signedMessage.data(), signedMessage.size(), edPublic, edPrivate);
    EXPECT_EQ(aes128_ctr_update(cipher, signature, sizeof signature, output.data(), output.size(), &moved),
              AesSuccess);
    aes128_ctr_release(cipher);

    std::vector<uint8_t> step2 = {0, 0, 0, 0};
    step2.insert(step2.end(), output.begin(), output.end());
    EXPECT_EQ(toHex(step2), text("pair_verify/step2_request_hex"));
}

} // namespace
