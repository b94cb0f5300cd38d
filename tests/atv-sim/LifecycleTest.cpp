// The command line, the request record and the ways the simulator ends.

#include "AtvSimProcess.h"
#include "ClientCrypto.h"
#include "ClientRequests.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(AtvSimLifecycle, HelpDocumentsEveryFlag)
{
    std::FILE* pipe = ::popen((AtvSimProcess::programPath() + " --help").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string help;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        help += buffer;
    int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const char* flag : {"--listen", "--auth", "--pin", "--password", "--wrong-pin-reply", "--salt",
                             "--speed", "--record", "--log", "--fragment", "--coalesce", "--close-after",
                             "--drop-answer", "--garbage", "--stdin-lifetime", "--help"})
        EXPECT_NE(help.find(std::string("  ") + flag + " "), std::string::npos) << flag;
    for (const char* line :
         {"LISTENING <port>", "PIN <DDDD>", "PAIRED <connection>", "AUTHORIZED <connection>",
          "PLAYING <url> <duration>", "READ-THROUGH <url> <packets>", "PLAY-ERROR <url> <error>"})
        EXPECT_NE(help.find(line), std::string::npos) << line;
}

TEST(AtvSimLifecycle, RefusesABadCommandLine)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--auth", "bogus"}, {"--pin", "12"},         {"--auth", "password"}, {"--speed", "0"},
        {"--fragment", "x"}, {"--listen", "nowhere"}, {"--salt", "abc"},      {"--bogus"},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(args[0]);
        AtvSimProcess sim;
        EXPECT_FALSE(sim.start(args, 5s));
        EXPECT_EQ(sim.waitForExit(0ms), 2);
    }
}

TEST(AtvSimLifecycle, RecordsEveryRequestAsAJsonLine)
{
    std::string path = testing::TempDir() + "atv-sim-record-" + std::to_string(::getpid()) + ".jsonl";
    std::vector<std::string> sent = {
        requests::poll(),
        makeRequest("POST", "/pair-setup-pin", {{"X-Apple-Device-ID", "4e:2a:91:0c:d7:35"}},
                    client::plist({{"method", "pin"}, {"user", "4e:2a:91:0c:d7:35"}})),
        requests::stop(),
    };
    {
        AtvSimProcess sim;
        ASSERT_TRUE(sim.start({"--record", path})) << sim.error();
        SimClient first(sim.port());
        for (const std::string& request : sent)
            first.exchange(request);
        SimClient second(sim.port());
        second.exchange(requests::seek(4));
        EXPECT_EQ(sim.stop(), 0);
    }
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::filesystem::remove(path);
    ASSERT_EQ(lines.size(), 4u);

    auto json = [](int connection, int index, const std::string& method, const std::string& target,
                   const std::string& line, const std::string& bytes) {
        return "{\"connection\":" + std::to_string(connection) + ",\"index\":" + std::to_string(index) +
               ",\"method\":\"" + method + "\",\"target\":\"" + target + "\",\"line\":\"" + line +
               "\",\"bytes\":\"" + client::toBase64(bytes) + "\"}";
    };
    EXPECT_EQ(lines[0], json(1, 1, "GET", "/scrub", "GET /scrub HTTP/1.1 ", sent[0]));
    EXPECT_EQ(lines[1], json(1, 2, "POST", "/pair-setup-pin", "POST /pair-setup-pin HTTP/1.1", sent[1]))
        << "the exact bytes, binary body included";
    EXPECT_EQ(lines[2], json(1, 3, "POST", "/stop", "POST /stop HTTP/1.1", sent[2]));
    EXPECT_EQ(lines[3], json(2, 1, "POST", "/scrub?position=4.000000",
                             "POST /scrub?position=4.000000 HTTP/1.1 ", requests::seek(4)));
}

TEST(AtvSimLifecycle, SigtermEndsItCleanlyWhilePlayingAndConnected)
{
    // A media server that accepts the connection and never answers keeps the player waiting.
    int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);

    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());
    EXPECT_EQ(client
                  .exchange(requests::play("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                                           "/stalled.mp3"))
                  .status,
              200);
    client.send(requests::poll().substr(0, 12));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(sim.stop(2s), 0) << "ended by itself with status 0 within 2 s";
    EXPECT_TRUE(client.waitForClose(1s));
    ::close(silent);
}

TEST(AtvSimLifecycle, EndsWhenStandardInputCloses)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());
    EXPECT_EQ(client.exchange(requests::poll()).status, 200);
    sim.closeStdin();
    EXPECT_EQ(sim.waitForExit(3s), 0);
}

TEST(AtvSimLifecycle, HelperHandsOutEachLineOnce)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--auth", "pin", "--pin", "4321"})) << sim.error();
    EXPECT_EQ(sim.pollLines(), std::vector<std::string>{"LISTENING " + std::to_string(sim.port())});
    SimClient client(sim.port());
    const std::string pinStart = "POST /pair-pin-start HTTP/1.1 \r\n\r\n";
    client.exchange(pinStart);
    client.exchange(pinStart);
    EXPECT_EQ(sim.waitForLine("PIN ", 2s), "PIN 4321");
    EXPECT_EQ(sim.waitForLine("PIN ", 2s), "PIN 4321");
    EXPECT_FALSE(sim.waitForLine("PIN ", 0ms)) << "both PIN lines were handed out";
    EXPECT_EQ(sim.pollLines(), (std::vector<std::string>{"PIN 4321", "PIN 4321"}));
    EXPECT_TRUE(sim.pollLines().empty());
}

} // namespace
