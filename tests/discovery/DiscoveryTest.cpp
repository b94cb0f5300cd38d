// Discovery against a real avahi-daemon in a network namespace of the test's own, with
// services announced by avahi-publish and Apple TV ports that listen inside the namespace.
#include "AvahiTestNetwork.h"
#include "ListeningPort.h"
#include "ObservedController.h"
#include "airplay/ClientManager.h"
#include "app/Controls.h"
#include "support/EventLoop.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>

namespace {

using namespace std::chrono_literals;
using testing::UnorderedElementsAre;

constexpr auto discoveryLimit = 20s;

class DiscoveryTest : public testing::Test
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
    }

    void TearDown() override
    {
        // Orvanta goes before the network it runs in.
        controller.reset();
        manager.reset();
        appleTvs.clear();
        network.reset();
    }

    // An Apple TV: a port listening in the namespace, announced under this name.
    void announce(const QString& name)
    {
        auto& port = appleTvs[name];
        if (!port) {
            port = std::make_unique<ListeningPort>();
        }
        ASSERT_TRUE(port->isListening());
        ASSERT_TRUE(network->publish(name, QStringLiteral("_airplay._tcp"), port->port()))
            << network->daemonOutput().toStdString();
    }

    void startDaemon() { ASSERT_TRUE(network->startDaemon()) << network->daemonOutput().toStdString(); }

    void startOrvanta()
    {
        manager = std::make_unique<ClientManager>();
        controller = std::make_unique<ObservedController>(controls, prompter, *manager);
        QObject::connect(manager.get(), &ClientManager::test, [this] { ++tests; });
        QObject::connect(controller.get(), &AppDelegate::popUpDeviceMenu,
                         [this](const DeviceMenu& menu) { shown = menu; });
        manager->awakeFromNib(controller.get());
    }

    QStringList serviceNames() const
    {
        QStringList names;
        for (const ServiceRecord& service : manager->arrServices()) {
            names << service.name;
        }
        return names;
    }

    int connectionsTo(const QString& name) const { return appleTvs.at(name)->connections(); }

    std::unique_ptr<AvahiTestNetwork> network;
    std::map<QString, std::unique_ptr<ListeningPort>> appleTvs;
    TempHome home;
    Controls controls;
    ScriptedPrompter prompter;
    std::unique_ptr<ClientManager> manager;
    std::unique_ptr<ObservedController> controller;
    int tests = 0;
    std::optional<DeviceMenu> shown;
};

TEST_F(DiscoveryTest, TwoServicesOfOneBatchGiveOneMenuWithBothAndTheFirstIsConnected)
{
    startDaemon();
    announce(QStringLiteral("Alpha TV"));
    announce(QStringLiteral("Beta TV"));
    startOrvanta();

    ASSERT_TRUE(waitUntil([&] { return tests == 1; }, discoveryLimit))
        << serviceNames().join(", ").toStdString();
    runEventLoop(1500ms);
    const QStringList names = serviceNames();
    ASSERT_THAT(names, UnorderedElementsAre("Alpha TV", "Beta TV"))
        << "one find for each, whatever the interfaces";
    EXPECT_EQ(controller->menusKept, QList<QStringList>{QStringList{"AirPlay to:"} + names});
    EXPECT_EQ(tests, 1);
    EXPECT_EQ(connectionsTo(names[0]), 1);
    EXPECT_EQ(connectionsTo(names[1]), 0);
    ASSERT_TRUE(manager->connectedService());
    EXPECT_EQ(manager->connectedService()->name, names[0]);
    EXPECT_TRUE(controller->host().endsWith(QStringLiteral(".local."))) << controller->host().toStdString();
    EXPECT_EQ(controller->port(), appleTvs.at(names[0])->port());

    const DeviceMenu& menu = *controller->airplayDevices();
    EXPECT_FALSE(menu.items[0].enabled);
    EXPECT_EQ(menu.items[0].tag, 1000);
    for (int i : {0, 1}) {
        EXPECT_TRUE(menu.items[1 + i].enabled);
        EXPECT_EQ(menu.items[1 + i].tag, i);
        EXPECT_EQ(menu.items[1 + i].on, i == 0);
    }
    EXPECT_TRUE(manager->isDiscoveryAvailable());
}

TEST_F(DiscoveryTest, LaterFindsStandInTheListButNotInTheMenuAndOneRemovalTakesOutEveryEntry)
{
    startDaemon();
    announce(QStringLiteral("Alpha TV"));
    startOrvanta();
    ASSERT_TRUE(waitUntil([&] { return tests == 1; }, discoveryLimit));

    announce(QStringLiteral("Beta TV"));
    ASSERT_TRUE(waitUntil([&] { return serviceNames().size() == 2; }, discoveryLimit));
    EXPECT_EQ(serviceNames(), (QStringList{"Alpha TV", "Beta TV"}));
    EXPECT_EQ(controller->menusKept, (QList<QStringList>{{"AirPlay to:", "Alpha TV"}}))
        << "no new menu while a device is connected";

    ServiceRecord again;
    again.name = QStringLiteral("Beta TV");
    manager->netServiceBrowserDidFindService(again, false);
    EXPECT_EQ(serviceNames(), (QStringList{"Alpha TV", "Beta TV", "Beta TV"}))
        << "found twice, it stands twice";

    network->withdraw(QStringLiteral("Beta TV"));
    ASSERT_TRUE(waitUntil([&] { return serviceNames().size() == 1; }, discoveryLimit));
    EXPECT_EQ(serviceNames(), QStringList{"Alpha TV"});
    EXPECT_TRUE(manager->isConnected()) << "Alpha TV is still the connected device";
    EXPECT_EQ(tests, 1);
    EXPECT_EQ(connectionsTo(QStringLiteral("Beta TV")), 0);
}

TEST_F(DiscoveryTest, AfterARemovalATagPicksTheServiceNowAtItsPositionAndChoosingAgainReconnects)
{
    startDaemon();
    for (const char* name : {"Alpha TV", "Beta TV", "Gamma TV"}) {
        announce(QString::fromUtf8(name));
    }
    startOrvanta();
    ASSERT_TRUE(waitUntil([&] { return tests == 1 && serviceNames().size() == 3; }, discoveryLimit));
    const QStringList names = serviceNames();
    ASSERT_EQ(controller->menusKept.size(), 1);
    const DeviceMenu menu = *controller->airplayDevices();

    network->withdraw(names[0]);
    ASSERT_TRUE(waitUntil([&] { return serviceNames().size() == 2; }, discoveryLimit));
    EXPECT_FALSE(manager->isConnected()) << "the connected device went away";

    const DeviceMenuItem second = menu.items[2];
    ASSERT_EQ(second.title, names[1]);
    second.action(second);
    ASSERT_TRUE(waitUntil([&] { return tests == 2 && connectionsTo(names[2]) == 1; }, discoveryLimit))
        << "tag 1 now stands for " << names[2].toStdString();
    EXPECT_EQ(connectionsTo(names[1]), 0);
    EXPECT_EQ(manager->connectedService()->name, names[2]);
    EXPECT_TRUE(controller->airplayDevices()->items[2].on);
    EXPECT_FALSE(controller->airplayDevices()->items[1].on);

    second.action(second);
    ASSERT_TRUE(waitUntil([&] { return tests == 3 && connectionsTo(names[2]) == 2; }, discoveryLimit))
        << "choosing the connected device connects to it anew";

    const DeviceMenuItem third = menu.items[3];
    third.action(third);
    runEventLoop(500ms);
    EXPECT_EQ(tests, 3) << "tag 2 is no position in the list any more: nothing happens";
    EXPECT_TRUE(manager->isConnected());
    EXPECT_EQ(manager->connectedService()->name, names[2]);
}

TEST_F(DiscoveryTest, ServiceThatDoesNotResolveWithinTwoSecondsIsLoggedAndNothingElseHappens)
{
    startDaemon();
    startOrvanta();
    ASSERT_TRUE(waitUntil([&] { return manager->isDiscoveryAvailable(); }, discoveryLimit));
    ServiceRecord ghost;
    ghost.name = QStringLiteral("Ghost TV");
    manager->netServiceBrowserDidFindService(ghost, false);
    ASSERT_TRUE(controller->airplayDevices());

    const auto activityLog = [&] {
        QFile file(home.documents() + QStringLiteral("/textfile.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    runEventLoop(1500ms);
    EXPECT_FALSE(activityLog().contains("Could not resolve: ")) << "the limit is 2 s";
    ASSERT_TRUE(waitUntil([&] { return activityLog().contains("Could not resolve: "); }, 3s));
    EXPECT_TRUE(activityLog().contains("Could not resolve: Timed out after 2.0 s (resolving \"Ghost TV\")"))
        << activityLog().toStdString();
    EXPECT_EQ(tests, 0);
    EXPECT_FALSE(manager->connectedService());
}

TEST_F(DiscoveryTest, DiscoveryStartsWhenTheDaemonAppearsAndResumesAfterItRestarts)
{
    startOrvanta();
    runEventLoop(300ms);
    EXPECT_FALSE(manager->isDiscoveryAvailable());
    controller->openAirplayMenu();
    ASSERT_TRUE(shown);
    EXPECT_EQ(
        titles(*shown).mid(0, 2),
        (QStringList{"No Airplay device found", "Device discovery needs the Avahi daemon (avahi-daemon)"}));

    startDaemon();
    announce(QStringLiteral("Alpha TV"));
    ASSERT_TRUE(waitUntil([&] { return tests == 1; }, discoveryLimit))
        << "found and connected without a restart";
    EXPECT_TRUE(manager->isDiscoveryAvailable());

    network->stopDaemon();
    ASSERT_TRUE(waitUntil([&] { return !manager->isDiscoveryAvailable(); }, discoveryLimit));
    ASSERT_TRUE(waitUntil([&] { return serviceNames().isEmpty(); }, discoveryLimit))
        << "without the daemon nothing is known to be there";
    controller->openAirplayMenu();
    EXPECT_TRUE(titles(*shown).contains("Device discovery needs the Avahi daemon (avahi-daemon)"));

    startDaemon();
    announce(QStringLiteral("Beta TV"));
    ASSERT_TRUE(waitUntil([&] { return serviceNames() == QStringList{"Beta TV"}; }, discoveryLimit))
        << serviceNames().join(", ").toStdString();
    EXPECT_TRUE(manager->isDiscoveryAvailable());
    controller->openAirplayMenu();
    EXPECT_FALSE(titles(*shown).contains("Device discovery needs the Avahi daemon (avahi-daemon)"));
    EXPECT_EQ(tests, 1) << "Alpha TV stays the chosen device; no new menu, no new connection";
}

} // namespace
