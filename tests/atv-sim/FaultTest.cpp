// The fault flags, each doing what it says on the wire.

#include "AtvSimProcess.h"
#include "ClientRequests.h"
#include "SimClient.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(AtvSimFaults, FragmentWritesEachAnswerInPieces)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--fragment", "4"})) << sim.error();
    SimClient client(sim.port());
    client.send(requests::poll());
    auto [reply, reads] = client.readReplyCountingReads(5s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body, "duration: 0.000000\nposition: 0.000000");
    EXPECT_EQ(reads, 4u);
}

TEST(AtvSimFaults, CoalesceWritesAnAnswerTogetherWithTheNext)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--coalesce"})) << sim.error();
    SimClient client(sim.port());
    client.send(requests::poll());
    EXPECT_EQ(client.readFor(300ms), "") << "the first answer is held back";
    client.send(requests::stop());
    auto [first, reads] = client.readReplyCountingReads(5s);
    ASSERT_TRUE(first);
    EXPECT_EQ(reads, 1u);
    EXPECT_EQ(first->header("Content-Type"), "text/parameters");
    auto [second, moreReads] = client.readReplyCountingReads(0ms);
    ASSERT_TRUE(second) << "the second answer came in the same read";
    EXPECT_EQ(moreReads, 0u);
    EXPECT_EQ(second->statusLine, "HTTP/1.1 200 OK");

    // An answer that no other follows goes out alone, late.
    client.send(requests::poll());
    EXPECT_EQ(client.readFor(300ms), "");
    EXPECT_TRUE(client.readReply(3s));
}

TEST(AtvSimFaults, CloseAfterClosesOnceTheNthRequestIsAnswered)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--close-after", "2"})) << sim.error();
    SimClient client(sim.port());
    EXPECT_EQ(client.exchange(requests::poll()).status, 200);
    client.send(requests::stop() + requests::poll());
    EXPECT_EQ(client.readReply().value_or(HttpReply()).status, 200);
    EXPECT_FALSE(client.readReply(2s)) << "the third request is not answered";
    EXPECT_TRUE(client.waitForClose(2s));

    SimClient next(sim.port());
    EXPECT_EQ(next.exchange(requests::poll()).status, 200) << "the count is per connection";
}

TEST(AtvSimFaults, DropAnswerNeverAnswersThatPath)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--drop-answer", "/scrub"})) << sim.error();
    SimClient client(sim.port());
    client.send(requests::poll());
    client.send(requests::seek(2));
    EXPECT_EQ(client.readFor(400ms), "");
    HttpReply stop = client.exchange(requests::stop());
    EXPECT_EQ(stop.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(stop.header("Content-Length"), "0") << "the first answer is the stop's";
}

TEST(AtvSimFaults, GarbageSpoilsTheFirstAnswerOfTheRunOnly)
{
    AtvSimProcess sim;
    ASSERT_TRUE(sim.start({"--garbage"})) << sim.error();
    SimClient client(sim.port());
    client.send(requests::poll());
    std::string garbage = client.readFor(500ms);
    EXPECT_FALSE(garbage.empty());
    EXPECT_FALSE(garbage.starts_with("HTTP/")) << garbage;
    EXPECT_EQ(client.exchange(requests::poll()).status, 200);
    SimClient other(sim.port());
    EXPECT_EQ(other.exchange(requests::poll()).status, 200);
}

} // namespace
