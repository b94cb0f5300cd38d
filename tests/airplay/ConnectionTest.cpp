// The control connection against a real TCP peer: the deadline, a peer that closes on us,
// the hold while a prompt is up.
#include "RecordingController.h"
#include "support/TcpPeer.h"
#include "airplay/ClientManager.h"
#include "support/CapturedStderr.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QByteArray stopRequest = "POST /stop HTTP/1.1\r\nContent-Length: 0\r\n\r\n";
const QByteArray okAnswer = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";

class ConnectionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        manager.awakeFromNib(&controller);
        manager.setConnectionLimit(300ms);
        QObject::connect(&manager, &ClientManager::test, [this] { ++tests; });
    }

    void connectToPeer()
    {
        manager.netServiceDidResolveAddress({"Test TV", "test-tv.local.", peer.port(), "127.0.0.1"});
        ASSERT_TRUE(waitUntil([this] { return peer.connectionCount() == 1 && tests == 1; }));
    }

    bool answerDispatched() const { return controller.logEntries.contains(QString::fromUtf8(okAnswer)); }

    RecordingController controller;
    ClientManager manager;
    TcpPeer peer;
    int tests = 0;
};

TEST_F(ConnectionTest, ResolutionStoresHostAndPortAndSignalsOnceConnected)
{
    connectToPeer();
    EXPECT_EQ(controller.host, "test-tv.local.");
    EXPECT_EQ(controller.port, peer.port());
    EXPECT_TRUE(manager.isConnected());
    EXPECT_TRUE(manager.isReady());
    manager.sendRawData(stopRequest);
    EXPECT_FALSE(manager.isReady());
    ASSERT_TRUE(waitUntil([this] { return peer.received(0) == stopRequest; }));
}

TEST_F(ConnectionTest, AnswerThatComesTooLateClosesTheConnectionAndTheNextRequestOpensItAgain)
{
    connectToPeer();
    controller.passOpened = true;
    manager.sendRawData(stopRequest);
    ASSERT_TRUE(waitUntil([this] { return peer.connection(0)->state() == QAbstractSocket::UnconnectedState; }, 5s));
    peer.send(0, okAnswer);
    EXPECT_FALSE(answerDispatched());

    manager.sendRawData(stopRequest);
    ASSERT_TRUE(waitUntil([this] { return peer.connectionCount() == 2 && peer.received(1) == stopRequest; }));
    EXPECT_EQ(tests, 2) << "a reopened connection signals like any new one";
    EXPECT_FALSE(controller.passOpened) << "the PIN panel may open again on the new connection";
    peer.send(1, okAnswer);
    EXPECT_TRUE(waitUntil([this] { return answerDispatched(); }));
}

TEST_F(ConnectionTest, PeerThatAnswersAndClosesIsReadAndReopenedOnTheNextRequest)
{
    connectToPeer();
    manager.sendRawData(stopRequest);
    ASSERT_TRUE(waitUntil([this] { return peer.received(0) == stopRequest; }));
    peer.connection(0)->write(okAnswer);
    peer.connection(0)->flush();
    peer.closeConnection(0);
    ASSERT_TRUE(waitUntil([this] { return answerDispatched(); }));

    runEventLoop(100ms);
    manager.sendRawData(stopRequest);
    ASSERT_TRUE(waitUntil([this] { return peer.connectionCount() == 2 && peer.received(1) == stopRequest; }));
    EXPECT_EQ(tests, 2);
}

TEST_F(ConnectionTest, NothingIsWrittenOrDeliveredWhileHeldAndAllOfItGoesOutInOrderAfterwards)
{
    connectToPeer();
    controller.commandTypeValue = "PlayCommand";
    {
        const auto hold = manager.holdConnection();
        manager.sendRawData(stopRequest);
        manager.sendRawData("GET /scrub HTTP/1.1 \r\n\r\n");
        runEventLoop(200ms);
        EXPECT_TRUE(peer.received(0).isEmpty());

        peer.send(0, okAnswer);
        runEventLoop(600ms); // twice the deadline: it does not run while held
        EXPECT_TRUE(controller.calls.isEmpty());
        EXPECT_EQ(peer.connection(0)->state(), QAbstractSocket::ConnectedState);
    }
    ASSERT_TRUE(waitUntil([this] { return controller.calls.contains("GetPlayBackProcess()"); }));
    ASSERT_TRUE(waitUntil([this] { return peer.received(0) == stopRequest + "GET /scrub HTTP/1.1 \r\n\r\n"; }));
}

TEST_F(ConnectionTest, ConnectionThatOpensWhileHeldSignalsAfterTheHold)
{
    {
        const auto hold = manager.holdConnection();
        manager.netServiceDidResolveAddress({"Test TV", "test-tv.local.", peer.port(), "127.0.0.1"});
        ASSERT_TRUE(waitUntil([this] { return peer.connectionCount() == 1; }));
        runEventLoop(100ms);
        EXPECT_EQ(tests, 0);
    }
    EXPECT_TRUE(waitUntil([this] { return tests == 1; }));
}

TEST_F(ConnectionTest, WithoutAnAppleTvRequestsAreDroppedWithALogLine)
{
    CapturedStderr errors;
    manager.sendRawData(stopRequest);
    manager.disconnectFromDevice();
    EXPECT_TRUE(errors.text().contains("No Apple TV is connected"));
    EXPECT_TRUE(errors.text().contains("There are no connected devices"));
}

TEST_F(ConnectionTest, DisconnectForgetsTheAppleTv)
{
    connectToPeer();
    manager.disconnectFromDevice();
    EXPECT_FALSE(manager.connectedService());
    EXPECT_FALSE(manager.isConnected());
    ASSERT_TRUE(waitUntil([this] { return peer.connection(0)->state() == QAbstractSocket::UnconnectedState; }));
    manager.sendRawData(stopRequest);
    runEventLoop(100ms);
    EXPECT_EQ(peer.connectionCount(), 1);
}

} // namespace
