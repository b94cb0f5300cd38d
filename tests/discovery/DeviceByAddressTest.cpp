// Apple TVs given by address (the menu item "Connect to address…" and --device), the device
// menu when the Avahi daemon cannot be reached, and the observed selection. None of this
// needs the daemon: the system bus is pointed at a socket that does not exist.
#include "AvahiTestNetwork.h"
#include "ListeningPort.h"
#include "ObservedController.h"
#include "airplay/ClientManager.h"
#include "airplay/DeviceAddress.h"
#include "app/Controls.h"
#include "support/EventLoop.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

namespace {

using namespace std::chrono_literals;

const QString expectedForm =
    QStringLiteral("Expected host:port, for example 192.168.1.20:7000 or [fe80::1]:7000.");

class DeviceByAddressTest : public testing::Test
{
protected:
    DeviceByAddressTest() : m_savedBus(qgetenv("DBUS_SYSTEM_BUS_ADDRESS"))
    {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", AvahiTestNetwork::busAddress().toLocal8Bit());
        manager.awakeFromNib(&controller);
        QObject::connect(&manager, &ClientManager::test, [this] { ++tests; });
        QObject::connect(&controller, &AppDelegate::popUpDeviceMenu,
                         [this](const DeviceMenu& menu) { shown = menu; });
    }

    ~DeviceByAddressTest() override { qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_savedBus); }

    TempHome home;
    Controls controls;
    ScriptedPrompter prompter;
    ClientManager manager;
    ObservedController controller{controls, prompter, manager};
    int tests = 0;
    std::optional<DeviceMenu> shown;

private:
    QByteArray m_savedBus;
};

TEST_F(DeviceByAddressTest, WithoutTheDaemonTheMenuSaysNoDeviceWasFoundAndWhatDiscoveryNeeds)
{
    EXPECT_FALSE(manager.isDiscoveryAvailable());
    controller.openAirplayMenu();
    ASSERT_TRUE(shown);
    EXPECT_EQ(titles(*shown), (QStringList{"No Airplay device found",
                                           "Device discovery needs the Avahi daemon (avahi-daemon)", "",
                                           "Connect to address…"}));
    for (int i : {0, 1}) {
        EXPECT_FALSE(shown->items[i].enabled) << i;
        EXPECT_EQ(shown->items[i].tag, 1000) << i;
        EXPECT_FALSE(shown->items[i].action) << i;
    }
    EXPECT_TRUE(shown->items[2].separator);
    EXPECT_TRUE(shown->items[3].enabled);
    EXPECT_TRUE(shown->items[3].action);

    ASSERT_TRUE(controller.airplayDevices());
    EXPECT_EQ(titles(*controller.airplayDevices()), QStringList{"No Airplay device found"})
        << "the placeholder is what the controller keeps; the rest is added when it is shown";
    EXPECT_TRUE(controller.airplayDevices()->title.isEmpty());
    EXPECT_FALSE(controller.airplayDevices()->autoenablesItems);
}

TEST_F(DeviceByAddressTest, DeviceByAddressStandsInTheListIsShownAndIsConnectedAtOnce)
{
    ListeningPort appleTv(QHostAddress::LocalHost);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(appleTv.port());
    controller.connectToDeviceAddress(address);
    ASSERT_TRUE(waitUntil([&] { return tests == 1 && appleTv.connections() == 1; }));
    EXPECT_EQ(controller.host(), "127.0.0.1.");
    EXPECT_EQ(controller.port(), appleTv.port());
    ASSERT_EQ(manager.arrServices().size(), 1);
    const ServiceRecord& device = manager.arrServices().first();
    EXPECT_EQ(device.name, address);
    EXPECT_EQ(device.hostName, "127.0.0.1.");
    EXPECT_EQ(device.address, "127.0.0.1");
    EXPECT_EQ(device.port, appleTv.port());
    ASSERT_TRUE(controller.airplayDevices());
    EXPECT_EQ(titles(*controller.airplayDevices()), (QStringList{"AirPlay to:", address}));
    EXPECT_TRUE(controller.airplayDevices()->items[1].on);

    controller.connectToDeviceAddress(address);
    ASSERT_TRUE(waitUntil([&] { return tests == 2 && appleTv.connections() == 2; })) << "connected anew";
    EXPECT_EQ(manager.arrServices().size(), 1) << "the same address stands once";
    EXPECT_TRUE(prompter.alerts.isEmpty());
}

TEST_F(DeviceByAddressTest, MenuItemAsksForTheAddressAndTakesIPv6InBrackets)
{
    ListeningPort appleTv(QHostAddress::LocalHostIPv6);
    if (!appleTv.isListening()) {
        GTEST_SKIP() << "this machine has no IPv6 loopback address";
    }
    prompter.deviceAddressAnswers = {QString(), QStringLiteral("[::1]:%1").arg(appleTv.port())};
    controller.openAirplayMenu();
    ASSERT_TRUE(shown);
    const DeviceMenuItem item = shown->items.last();
    ASSERT_EQ(item.title, "Connect to address…");

    item.action(item);
    runEventLoop(100ms);
    EXPECT_TRUE(manager.arrServices().isEmpty()) << "a cancelled question changes nothing";

    item.action(item);
    ASSERT_TRUE(waitUntil([&] { return tests == 1 && appleTv.connections() == 1; }));
    EXPECT_EQ(controller.host(), "[::1].") << "the Host header needs the brackets";
    ASSERT_EQ(manager.arrServices().size(), 1);
    EXPECT_EQ(manager.arrServices().first().name, QStringLiteral("[::1]:%1").arg(appleTv.port()));
    EXPECT_EQ(manager.arrServices().first().address, "::1");
    EXPECT_TRUE(prompter.alerts.isEmpty());
}

TEST_F(DeviceByAddressTest, TextThatIsNoAddressIsRefusedWithAnAlertThatSaysWhatIsWrongAndWhatIsExpected)
{
    const struct
    {
        const char* text;
        const char* says;
    } cases[] = {
        {"", "No address was given."},
        {"127.0.0.1", "\"127.0.0.1\" has no port."},
        {"127.0.0.1:", "has no port after the colon."},
        {":7000", "has no host before the port."},
        {"127.0.0.1:0", "out of range: it must be from 1 to 65535."},
        {"127.0.0.1:65536", "out of range"},
        {"127.0.0.1:7x", "The port in \"127.0.0.1:7x\" is not a number."},
        {"apple tv:7000", "contains a space."},
        {"::1:7000", "looks like an IPv6 address: put the address in brackets."},
        {"[::1:7000", "opens a bracket but does not close it."},
        {"[::1]7000", "has no port after the brackets."},
        {"[10.0.0.1]:7000", "the part in brackets is not an IPv6 address."},
        {"tv/den:7000", "the host is not a host name or an address."},
    };
    for (const auto& refused : cases) {
        prompter.alerts.clear();
        controller.connectToDeviceAddress(QString::fromUtf8(refused.text));
        ASSERT_EQ(prompter.alerts.size(), 1) << refused.text;
        EXPECT_TRUE(prompter.alerts[0].contains(QString::fromUtf8(refused.says)))
            << refused.text << ": " << prompter.alerts[0].toStdString();
        EXPECT_TRUE(prompter.alerts[0].endsWith(expectedForm)) << prompter.alerts[0].toStdString();
    }
    EXPECT_TRUE(manager.arrServices().isEmpty());
    EXPECT_FALSE(manager.connectedService());
    EXPECT_FALSE(controller.airplayDevices());
}

TEST(DeviceAddress, WellFormedAddressesBecomeTheRecordsAResolutionWouldGive)
{
    const struct
    {
        const char* text;
        const char* name;
        const char* hostName;
        const char* address;
        quint16 port;
    } cases[] = {
        {"10.0.0.5:7000", "10.0.0.5:7000", "10.0.0.5.", "10.0.0.5", 7000},
        {" living-room.local:65535\n", "living-room.local:65535", "living-room.local.", "living-room.local",
         65535},
        {"living-room.local.:7000", "living-room.local.:7000", "living-room.local.", "living-room.local.",
         7000},
        {"[fe80::1]:1", "[fe80::1]:1", "[fe80::1].", "fe80::1", 1},
    };
    for (const auto& accepted : cases) {
        const DeviceAddress address = DeviceAddress::parse(QString::fromUtf8(accepted.text));
        ASSERT_TRUE(address.error.isEmpty()) << accepted.text << ": " << address.error.toStdString();
        const ServiceRecord record = address.serviceRecord();
        EXPECT_EQ(record.name, accepted.name);
        EXPECT_EQ(record.hostName, accepted.hostName);
        EXPECT_EQ(record.address, accepted.address);
        EXPECT_EQ(record.port, accepted.port);
    }
}

TEST_F(DeviceByAddressTest, SelectionConnectsOnceTheFirstMenuHasBeenBuilt)
{
    ListeningPort first(QHostAddress::LocalHost);
    ListeningPort second(QHostAddress::LocalHost);
    const ServiceRecord a =
        DeviceAddress::parse(QStringLiteral("127.0.0.1:%1").arg(first.port())).serviceRecord();
    const ServiceRecord b =
        DeviceAddress::parse(QStringLiteral("127.0.0.1:%1").arg(second.port())).serviceRecord();

    manager.servicesController().setContent({b});
    manager.servicesController().setSelectionIndex(0);
    runEventLoop(100ms);
    EXPECT_EQ(second.connections(), 0) << "the selection is not observed before a menu is built";

    manager.netServiceBrowserDidFindService(a, false);
    ASSERT_TRUE(waitUntil([&] { return tests == 1 && first.connections() == 1; }));
    EXPECT_EQ(controller.menusKept, (QList<QStringList>{{"AirPlay to:", a.name}}));

    manager.servicesController().setContent({a, b});
    manager.servicesController().setSelectionIndexes({0, 1});
    ASSERT_TRUE(waitUntil([&] { return tests == 2 && second.connections() == 1; })) << "the last selected";
    EXPECT_EQ(manager.connectedService()->name, b.name);

    manager.netServiceBrowserDidRemoveService(a, false);
    runEventLoop(100ms);
    EXPECT_EQ(manager.servicesController().selectedObjects(), QList<ServiceRecord>{b})
        << "the selection stays on its service";
    EXPECT_EQ(tests, 2) << "a service that goes is no change of selection";
}

TEST(DeviceOption, OrvantaStartedWithDeviceConnectsToItAfterStartUp)
{
    TempHome home;
    ListeningPort appleTv(QHostAddress::LocalHost);
    QProcess orvanta;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
    orvanta.setProcessEnvironment(environment);
    orvanta.setProcessChannelMode(QProcess::MergedChannels);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(appleTv.port());
    orvanta.start(QStringLiteral(ORVANTA_BINARY), {QStringLiteral("--device"), address});
    ASSERT_TRUE(orvanta.waitForStarted());

    const bool connected = waitUntil([&] { return appleTv.connections() == 1; }, 20s);
    QByteArray output = orvanta.readAll();
    kill(static_cast<pid_t>(orvanta.processId()), SIGTERM);
    orvanta.waitForFinished(10000);
    output += orvanta.readAll();
    EXPECT_TRUE(connected) << output.toStdString();
    EXPECT_TRUE(output.contains(
        QStringLiteral("Connected to service: %1 (127.0.0.1.:%2)").arg(address).arg(appleTv.port()).toUtf8()))
        << output.toStdString();
}

} // namespace
