// Publication of the media server, seen by avahi-browse in a network namespace of the test's
// own.
#include "AvahiTestNetwork.h"
#include "airplay/ServicePublisher.h"
#include "support/EventLoop.h"

#include <QHostInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;

class PublisherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const QString reason = AvahiTestNetwork::unavailableReason();
        if (!reason.isEmpty()) {
            GTEST_SKIP() << reason.toStdString();
        }
        network = std::make_unique<AvahiTestNetwork>();
        ASSERT_TRUE(network->error().isEmpty()) << network->error().toStdString();
        ASSERT_TRUE(network->startDaemon()) << network->daemonOutput().toStdString();
    }

    // The name under which the port is published, as avahi-browse sees it; empty when it is
    // not (yet, or any more).
    QString publishedName(quint16 port)
    {
        for (const QString& line : network->browse(QStringLiteral("_http._tcp"))) {
            const QStringList fields = line.split(QLatin1Char(';'));
            if (fields.size() > 8 && fields[8] == QString::number(port)) {
                EXPECT_EQ(fields[4], "_http._tcp");
                EXPECT_EQ(fields[5], "local");
                return fields[3];
            }
        }
        return {};
    }

    std::unique_ptr<AvahiTestNetwork> network;
};

TEST_F(PublisherTest, PublishesTheServerUnderTheMachinesNameAndWithdrawsIt)
{
    auto publisher = std::make_unique<ServicePublisher>();
    publisher->publish(8123);
    QString name;
    ASSERT_TRUE(waitUntil([&] { return !(name = publishedName(8123)).isEmpty(); }, 20s));
    EXPECT_EQ(name, QHostInfo::localHostName().section(QLatin1Char('.'), 0, 0));

    publisher->publish(8124);
    ASSERT_TRUE(waitUntil([&] { return !publishedName(8124).isEmpty(); }, 20s))
        << "published again, elsewhere";
    EXPECT_TRUE(publishedName(8123).isEmpty()) << "the earlier publication is replaced";

    publisher->withdraw();
    ASSERT_TRUE(waitUntil([&] { return publishedName(8124).isEmpty(); }, 20s));

    publisher->publish(8125);
    ASSERT_TRUE(waitUntil([&] { return !publishedName(8125).isEmpty(); }, 20s));
    publisher.reset();
    EXPECT_TRUE(waitUntil([&] { return publishedName(8125).isEmpty(); }, 20s)) << "withdrawn when it goes";
}

} // namespace
