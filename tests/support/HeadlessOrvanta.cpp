#include "support/HeadlessOrvanta.h"

#include "support/EventLoop.h"

HeadlessOrvanta::HeadlessOrvanta()
{
    QObject::connect(&clientManager, &ClientManager::test, [this] { ++connectionsOpened; });
    clientManager.awakeFromNib(&controller);
}

void HeadlessOrvanta::launch()
{
    controller.applicationDidFinishLaunching();
}

bool HeadlessOrvanta::connectTo(quint16 port, const QString& hostName)
{
    const int before = connectionsOpened;
    clientManager.netServiceDidResolveAddress({QStringLiteral("Simulated Apple TV"), hostName, port,
                                               QStringLiteral("127.0.0.1")});
    return waitUntil([&] { return connectionsOpened > before; });
}

bool HeadlessOrvanta::connectByAddress(quint16 port)
{
    const int before = connectionsOpened;
    controller.connectToDeviceAddress(QStringLiteral("127.0.0.1:%1").arg(port));
    return waitUntil([&] { return connectionsOpened > before; });
}
