// PIN mode: refusal before pairing, pair-setup-pin (SRP-6a, AES-GCM) and pair-verify (X25519,
// Ed25519, AES-CTR), checked with a client computed from the rules on its own.

#include "AtvSimProcess.h"
#include "ClientCrypto.h"
#include "ClientRequests.h"
#include "PairingDriver.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace std::chrono_literals;

TEST(AtvSimPin, CommandsAreForbiddenBeforePairing)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin"})) << sim.error();
    SimClient client(sim.port());
    for (const std::string& request : {requests::poll(), requests::play("http://127.0.0.1:1/a.mp3"),
                                       requests::stop(), requests::seek(1), requests::pause()}) {
        SCOPED_TRACE(request);
        HttpReply reply = client.exchange(request);
        EXPECT_EQ(reply.statusLine, "HTTP/1.1 403 Forbidden");
        EXPECT_EQ(reply.header("Content-Length"), "0");
    }
    EXPECT_EQ(client.exchange("GET /nothing HTTP/1.1\r\n\r\n").status, 404);
}

TEST(AtvSimPin, PairingWithTheShownPinUnlocksThatConnection)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin"})) << sim.error();
    SimClient client(sim.port());
    PairingDriver driver(client);

    EXPECT_EQ(driver.pinStart().status, 200);
    std::optional<std::string> pinLine = sim.waitForLine("PIN ", 2s);
    ASSERT_TRUE(pinLine);
    std::string pin = pinLine->substr(4);
    ASSERT_EQ(pin.size(), 4u);
    EXPECT_EQ(pin.find_first_not_of("0123456789"), std::string::npos);

    HttpReply start = driver.start();
    ASSERT_EQ(start.status, 200);
    EXPECT_EQ(start.header("Content-Type"), "application/x-apple-binary-plist");
    EXPECT_EQ(start.header("Content-Length"), std::to_string(start.body.size()));
    auto startValues = client::plistValues(start.body);
    ASSERT_TRUE(startValues);
    EXPECT_EQ(driver.salt().size(), 16u);
    std::string serverPublic = (*startValues)["pk"];
    ASSERT_FALSE(serverPublic.empty());
    EXPECT_LE(serverPublic.size(), 256u);
    EXPECT_NE(serverPublic[0], '\0') << "B is sent in minimal form";

    HttpReply proof = driver.prove(pin);
    ASSERT_EQ(proof.status, 200);
    EXPECT_EQ(proof.header("Content-Type"), "application/x-apple-binary-plist");
    EXPECT_TRUE(driver.serverProofMatches(proof));

    HttpReply key = driver.sendKey();
    ASSERT_EQ(key.status, 200);
    EXPECT_EQ(key.header("Content-Type"), "application/x-apple-binary-plist");
    std::string receiverKey = driver.receiverIdentity(key);
    ASSERT_EQ(receiverKey.size(), 32u) << "the answer's epk opens with the pair-setup key and IV";

    HttpReply verify = driver.verifyStart();
    ASSERT_EQ(verify.status, 200);
    EXPECT_EQ(verify.header("Content-Type"), "application/octet-stream");
    EXPECT_EQ(verify.body.size(), 96u);
    EXPECT_TRUE(driver.receiverSignatureValid(verify, receiverKey));

    EXPECT_EQ(driver.verifyFinish().statusLine, "HTTP/1.1 200 OK");
    EXPECT_TRUE(sim.waitForLine("PAIRED 1", 2s));
    EXPECT_EQ(client.exchange(requests::poll()).status, 200);

    // Another connection has paired nothing yet; the key registered above lets it verify.
    SimClient other(sim.port());
    EXPECT_EQ(other.exchange(requests::poll()).status, 403);
    PairingDriver again(other, driver.seed());
    ASSERT_EQ(again.verifyStart().status, 200);
    EXPECT_EQ(again.verifyFinish().status, 200);
    EXPECT_EQ(other.exchange(requests::poll()).status, 200);
}

TEST(AtvSimPin, EachPinStartShowsANewRandomPin)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin"})) << sim.error();
    SimClient client(sim.port());
    PairingDriver driver(client);
    std::set<std::string> pins;
    for (int i = 0; i < 6; ++i) {
        driver.pinStart();
        std::optional<std::string> line = sim.waitForLine("PIN ", 2s);
        ASSERT_TRUE(line);
        pins.insert(*line);
    }
    EXPECT_GE(pins.size(), 2u);
    // Only the last PIN shown pairs.
    std::string last = sim.lines().back().substr(4);
    EXPECT_TRUE(driver.pair(last));
}

TEST(AtvSimPin, WrongPinGetsAStatusWithoutProof)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin", "--pin", "1234"})) << sim.error();
    SimClient client(sim.port());
    PairingDriver driver(client);
    driver.pinStart();
    EXPECT_EQ(sim.waitForLine("PIN ", 2s), "PIN 1234");

    ASSERT_EQ(driver.start().status, 200);
    HttpReply wrong = driver.prove("4321");
    EXPECT_EQ(wrong.statusLine, "HTTP/1.1 500 Internal Server Error");
    EXPECT_EQ(wrong.header("Content-Length"), "0");
    EXPECT_EQ(wrong.body, "");
    EXPECT_EQ(driver.sendKey().status, 500) << "a refused proof ends the exchange";
    EXPECT_EQ(client.exchange(requests::poll()).status, 403);

    EXPECT_TRUE(driver.pair("1234")) << "a new pairing on the same connection still works";
}

TEST(AtvSimPin, WrongPinWithProofReplyGivesAProofTheClientMustRefuse)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin", "--pin", "2468", "--wrong-pin-reply", "proof"})) << sim.error();
    SimClient client(sim.port());
    PairingDriver driver(client);

    ASSERT_EQ(driver.start().status, 200);
    HttpReply wrong = driver.prove("8642");
    EXPECT_EQ(wrong.status, 200);
    auto values = client::plistValues(wrong.body);
    ASSERT_TRUE(values);
    EXPECT_EQ((*values)["proof"].size(), 20u);
    EXPECT_FALSE(driver.serverProofMatches(wrong));

    ASSERT_EQ(driver.start().status, 200);
    EXPECT_TRUE(driver.serverProofMatches(driver.prove("2468")));
}

TEST(AtvSimPin, BrokenPairingStepsAreRefused)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin", "--pin", "0007"})) << sim.error();
    SimClient client(sim.port());
    PairingDriver driver(client);

    ASSERT_EQ(driver.start().status, 200);
    ASSERT_EQ(driver.prove("0007").status, 200);
    EXPECT_EQ(driver.sendKey(true).status, 500) << "a tag that does not match";

    EXPECT_EQ(driver.verifyStart(client::randomBytes(32)).status, 403) << "a key never registered";

    ASSERT_EQ(driver.start().status, 200);
    ASSERT_EQ(driver.prove("0007").status, 200);
    ASSERT_EQ(driver.sendKey().status, 200);
    ASSERT_EQ(driver.verifyStart().status, 200);
    EXPECT_EQ(driver.verifyFinish(true).status, 403) << "a signature that does not verify";
    EXPECT_EQ(driver.verifyFinish().status, 403) << "a finish with no start";
    EXPECT_EQ(client.exchange(requests::poll()).status, 403);

    EXPECT_EQ(
        client
            .exchange(makeRequest("POST", "/pair-verify", {{"Content-Type", "application/octet-stream"}},
                                  std::string(67, '\1')))
            .status,
        403)
        << "a body of 67 bytes";
    EXPECT_EQ(client.exchange(makeRequest("POST", "/pair-setup-pin", {}, "not a property list")).status, 400);
    EXPECT_EQ(
        client
            .exchange(makeRequest("POST", "/pair-setup-pin", {},
                                  client::plist({{"pk", client::Data{"x"}}, {"proof", client::Data{"y"}}})))
            .status,
        500)
        << "a proof before any start";
}

TEST(AtvSimPin, SaltWithALeadingZeroEntersInMinimalForm)
{
    const std::string saltHex = "00a1b2c3d4e5f60718293a4b5c6d7e8f";
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin", "--pin", "5150", "--salt", saltHex})) << sim.error();
    SimClient client(sim.port());
    PairingDriver driver(client);
    ASSERT_EQ(driver.start().status, 200);
    EXPECT_EQ(client::toHex(driver.salt()), saltHex) << "the salt is sent as given";
    EXPECT_TRUE(driver.serverProofMatches(driver.prove("5150")));
}

} // namespace
