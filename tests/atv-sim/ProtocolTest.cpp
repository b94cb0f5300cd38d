// The simulator's request reading and plain answers, driven with our client's exact bytes.

#include "AtvSimProcess.h"
#include "ClientRequests.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <cctype>
#include <thread>

namespace {

// An RFC 1123 date such as "Sun, 06 Nov 1994 08:49:37 GMT".
bool isHttpDate(std::string_view text)
{
    constexpr std::string_view shape = "Aaa, 00 Aaa 0000 00:00:00 GMT";
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool fits = shape[i] == 'A'   ? std::isupper(c)
                    : shape[i] == 'a' ? std::islower(c)
                    : shape[i] == '0' ? std::isdigit(c)
                                      : text[i] == shape[i];
        if (!fits)
            return false;
    }
    return true;
}

TEST(AtvSimProtocol, AnswersEachRequestWithStatusDateAndExactLength)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());
    struct Case
    {
        std::string request;
        std::string statusLine;
    };
    const Case cases[] = {
        {requests::poll(), "HTTP/1.1 200 OK"},
        {requests::seek(12.5), "HTTP/1.1 200 OK"},
        {requests::pause(), "HTTP/1.1 200 OK"},
        {requests::resume(), "HTTP/1.1 200 OK"},
        {requests::stop(), "HTTP/1.1 200 OK"},
        {"POST /pair-pin-start HTTP/1.1 \r\nContent-Type: text/parameters\r\n\r\n", "HTTP/1.1 200 OK"},
        {"GET /server-info HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found"},
        {"GET /play HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found"},
        {"POST /play HTTP/1.1\r\nHost:x\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"POST /scrub?position=soon HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
        {"POST /rate HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        HttpReply reply = client.exchange(c.request);
        EXPECT_EQ(reply.statusLine, c.statusLine);
        EXPECT_TRUE(isHttpDate(reply.header("Date").value_or(""))) << reply.raw;
        EXPECT_EQ(reply.header("Content-Length"), std::to_string(reply.body.size()));
    }
}

TEST(AtvSimProtocol, IdleProgressIsZeroOfZero)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());
    HttpReply reply = client.exchange(requests::poll());
    EXPECT_EQ(reply.header("Content-Type"), "text/parameters");
    EXPECT_EQ(reply.body, "duration: 0.000000\nposition: 0.000000");
}

TEST(AtvSimProtocol, ReadsRequestsTogetherInOneReadAndSplitOverMany)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient client(sim.port());

    // Three in one write, the middle one with a body and a lower-case header name.
    client.send(requests::poll() + "POST /stop HTTP/1.1\r\ncontent-length: 5\r\n\r\nhello" +
                "GET /nothing HTTP/1.1\r\n\r\n");
    std::optional<HttpReply> first = client.readReply();
    std::optional<HttpReply> second = client.readReply();
    std::optional<HttpReply> third = client.readReply();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->header("Content-Type"), "text/parameters");
    EXPECT_EQ(second->statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(second->body, "");
    EXPECT_EQ(third->status, 404);

    // One request a byte at a time.
    for (char c : requests::seek(3)) {
        client.send(std::string(1, c));
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    std::optional<HttpReply> split = client.readReply();
    ASSERT_TRUE(split);
    EXPECT_EQ(split->status, 200);
}

TEST(AtvSimProtocol, UnreadableRequestIsRefusedAndTheConnectionClosed)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    const std::string cases[] = {
        "NONSENSE\r\n\r\n",
        "POST /stop HTTP/1.1\r\nContent-Length: many\r\n\r\n",
        "POST /stop HTTP/1.1\r\nno colon here\r\n\r\n",
    };
    for (const std::string& request : cases) {
        SCOPED_TRACE(request);
        SimClient client(sim.port());
        HttpReply reply = client.exchange(request + requests::poll());
        EXPECT_EQ(reply.statusLine, "HTTP/1.1 400 Bad Request");
        EXPECT_TRUE(client.waitForClose(std::chrono::seconds(2)));
    }
}

TEST(AtvSimProtocol, ServesSeveralConnectionsAtOnce)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start()) << sim.error();
    SimClient slow(sim.port());
    SimClient quick(sim.port());
    std::string request = requests::poll();
    slow.send(request.substr(0, 20));
    EXPECT_EQ(quick.exchange(requests::stop()).status, 200);
    slow.send(request.substr(20));
    EXPECT_EQ(slow.readReply().value_or(HttpReply()).status, 200);
}

} // namespace
