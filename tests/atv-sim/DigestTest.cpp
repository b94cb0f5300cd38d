// Password mode: Digest challenges and their checking.

#include "AtvSimProcess.h"
#include "ClientCrypto.h"
#include "ClientRequests.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>

namespace {

using namespace std::chrono_literals;

const std::string password = "open sesame";

std::string digestResponse(const std::string& nonce, const std::string& pass)
{
    return client::md5Hex(client::md5Hex("AirPlay:AirPlay:" + pass) + ":" + nonce + ":" +
                          client::md5Hex("POST:/stop"));
}

// The nonce of a 401 answer; empty when the answer is no well-formed challenge.
std::string nonceOf(const HttpReply& reply)
{
    const std::string prefix = "Digest realm=\"AirPlay\", nonce=\"";
    std::string value = reply.header("WWW-Authenticate").value_or("");
    if (reply.statusLine != "HTTP/1.1 401 Unauthorized" || reply.header("Content-Length") != "0" ||
        !value.starts_with(prefix) || !value.ends_with("\"") || value.size() <= prefix.size() + 1)
        return {};
    std::string nonce = value.substr(prefix.size(), value.size() - prefix.size() - 1);
    std::size_t padding = nonce.find('=');
    if (nonce.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") !=
            std::string::npos ||
        (padding != std::string::npos && nonce.find_first_not_of('=', padding) != std::string::npos))
        return {};
    return nonce;
}

TEST(AtvSimPassword, ChallengesWithFreshBase64NoncesEndingInEquals)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "password", "--password", password})) << sim.error();
    SimClient client(sim.port());
    std::set<std::string> nonces;
    for (int i = 0; i < 4; ++i) {
        std::string nonce = nonceOf(client.exchange(requests::poll()));
        ASSERT_FALSE(nonce.empty());
        EXPECT_TRUE(nonce.ends_with("=")) << nonce;
        std::size_t length = client::fromBase64(nonce).size();
        EXPECT_TRUE(length == 16 || length == 17) << nonce;
        nonces.insert(nonce);
    }
    EXPECT_EQ(nonces.size(), 4u);
}

TEST(AtvSimPassword, CorrectDigestAuthorizesThatConnection)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "password", "--password", password})) << sim.error();
    SimClient client(sim.port());
    std::string nonce = nonceOf(client.exchange(requests::stop()));
    ASSERT_FALSE(nonce.empty());
    HttpReply reply = client.exchange(
        requests::authorizedStop("AirPlay", "AirPlay", nonce, "/stop", digestResponse(nonce, password)));
    EXPECT_EQ(reply.statusLine, "HTTP/1.1 200 OK");
    EXPECT_TRUE(sim.waitForLine("AUTHORIZED 1", 2s));
    EXPECT_EQ(client.exchange(requests::poll()).status, 200);

    SimClient other(sim.port());
    EXPECT_FALSE(nonceOf(other.exchange(requests::poll())).empty());
}

TEST(AtvSimPassword, AcceptsAnIndependentDigestImplementation)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "password", "--password", password})) << sim.error();
    std::string command = "curl -s -o /dev/null -w '%{http_code}' --digest -u 'AirPlay:" + password +
                          "' -X POST http://127.0.0.1:" + std::to_string(sim.port()) + "/stop";
    std::string codes;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[64];
        while (std::fgets(buffer, sizeof buffer, pipe))
            codes += buffer;
        ::pclose(pipe);
    }
    EXPECT_EQ(codes, "200") << "curl answers the challenge and is let in";
    EXPECT_TRUE(sim.waitForLine("AUTHORIZED ", 2s));
}

TEST(AtvSimPassword, WrongDigestGetsANewChallenge)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "password", "--password", password})) << sim.error();
    SimClient client(sim.port());
    std::string stale = nonceOf(client.exchange(requests::poll()));
    std::string nonce = nonceOf(client.exchange(requests::poll()));
    ASSERT_FALSE(stale.empty());
    struct Case
    {
        const char* what;
        std::function<std::string(const std::string& nonce)> request;
    };
    const Case cases[] = {
        {"wrong password",
         [](const std::string& n) {
             return requests::authorizedStop("AirPlay", "AirPlay", n, "/stop",
                                             digestResponse(n, "open says me"));
         }},
        {"wrong user",
         [](const std::string& n) {
             return requests::authorizedStop("admin", "AirPlay", n, "/stop", digestResponse(n, password));
         }},
        {"wrong realm",
         [](const std::string& n) {
             return requests::authorizedStop("AirPlay", "AppleTV", n, "/stop", digestResponse(n, password));
         }},
        {"uri of another request",
         [](const std::string& n) {
             return requests::authorizedStop("AirPlay", "AirPlay", n, "/play", digestResponse(n, password));
         }},
        {"stale nonce",
         [&](const std::string&) {
             return requests::authorizedStop("AirPlay", "AirPlay", stale, "/stop",
                                             digestResponse(stale, password));
         }},
        {"upper-case response",
         [](const std::string& n) {
             std::string response = digestResponse(n, password);
             for (char& c : response)
                 c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
             return requests::authorizedStop("AirPlay", "AirPlay", n, "/stop", response);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string next = nonceOf(client.exchange(c.request(nonce)));
        ASSERT_FALSE(next.empty());
        EXPECT_NE(next, nonce);
        nonce = next;
    }
    EXPECT_EQ(client
                  .exchange(requests::authorizedStop("AirPlay", "AirPlay", nonce, "/stop",
                                                     digestResponse(nonce, password)))
                  .status,
              200);
}

} // namespace
