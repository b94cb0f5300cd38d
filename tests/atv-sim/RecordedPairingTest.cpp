// The client rules that the pairing tests check the simulator with, replayed against one
// recorded pairing with a real Apple TV. Besides the client's bytes this confirms how the
// receiver answers: its Ed25519 key under the pair-setup key and the IV incremented once more
// than the client's, and its signature over its own X25519 value followed by the client's,
// under the first 64 keystream bytes.

#include "ClientCrypto.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// The string value of `key` after `section` in the recording (its keys are unique per section).
std::string field(const std::string& json, const std::string& section, const std::string& key)
{
    std::size_t at = json.find("\"" + section + "\"");
    at = json.find("\"" + key + "\"", at);
    if (at == std::string::npos)
        return {};
    std::size_t open = json.find('"', json.find(':', at) + 1);
    return json.substr(open + 1, json.find('"', open + 1) - open - 1);
}

TEST(RecordedPairing, ClientRulesReproduceARealAppleTvExchange)
{
    ASSERT_TRUE(std::filesystem::exists(PAIRING_RECORDING)) << "no recorded pairing at " << PAIRING_RECORDING;
    std::ifstream file(PAIRING_RECORDING);
    std::stringstream text;
    text << file.rdbuf();
    const std::string json = text.str();
    auto hex = [&](const std::string& section, const std::string& key) {
        std::string value = client::fromHex(field(json, section, key));
        EXPECT_FALSE(value.empty()) << section << "." << key;
        return value;
    };

    const std::string user = field(json, "inputs", "srp_username");
    const std::string pin = field(json, "inputs", "pin");
    const std::string seed = hex("inputs", "ed25519_seed_hex");
    const std::string xSecret = hex("inputs", "x25519_secret_hex");

    client::SrpExchange srp =
        client::srpRespond(user, pin, hex("step1_response", "salt_hex"), hex("step1_response", "pk_hex"),
                           hex("inputs", "srp_secret_a_hex"));
    EXPECT_EQ(client::toHex(srp.clientPublic), field(json, "step2_request", "pk_hex"));
    EXPECT_EQ(client::toHex(srp.clientProof), field(json, "step2_request", "proof_hex"));
    EXPECT_EQ(client::toHex(srp.serverProof), field(json, "step2_response", "proof_hex"));

    std::string key = client::setupKey(srp.sessionKey);
    std::string iv = client::setupIv(srp.sessionKey);
    client::Sealed sealed = client::gcmSeal(key, iv, client::ed25519Public(seed));
    EXPECT_EQ(client::toHex(sealed.ciphertext), field(json, "step3_request", "epk_hex"));
    EXPECT_EQ(client::toHex(sealed.tag), field(json, "step3_request", "authTag_hex"));
    std::optional<std::string> receiverKey =
        client::gcmOpen(key, client::setupReplyIv(srp.sessionKey), hex("step3_response", "epk_hex"),
                        hex("step3_response", "authTag_hex"));
    ASSERT_TRUE(receiverKey) << "the receiver's epk opens under the reply IV";

    std::string xPublic = client::x25519Public(xSecret);
    EXPECT_EQ(client::toHex(std::string("\1\0\0\0", 4) + xPublic + client::ed25519Public(seed)),
              field(json, "pair_verify", "step1_request_hex"));
    std::string reply = hex("pair_verify", "step1_response_hex");
    ASSERT_EQ(reply.size(), 96u);
    std::string receiverPublic = reply.substr(0, 32);
    std::string shared = client::x25519Shared(xSecret, receiverPublic);
    client::Ctr ctr(client::verifyKey(shared), client::verifyIv(shared));
    std::string receiverSignature = ctr.apply(reply.substr(32));
    EXPECT_TRUE(client::ed25519Verify(*receiverKey, receiverPublic + xPublic, receiverSignature));
    std::string encrypted = ctr.apply(client::ed25519Sign(seed, xPublic + receiverPublic));
    EXPECT_EQ(client::toHex(std::string(4, '\0') + encrypted),
              field(json, "pair_verify", "step2_request_hex"));
}

} // namespace
