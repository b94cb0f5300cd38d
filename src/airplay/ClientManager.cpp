#include "airplay/ClientManager.h"

#include "airplay/ClientManagerDelegate.h"
#include "airplay/DeviceConnection.h"
#include "airplay/ResponseDispatcher.h"
#include "airplay/ServiceBrowser.h"
#include "diagnostics/SystemLog.h"

#include <QNetworkInterface>
#include <QStringList>

namespace {

using namespace std::chrono_literals;

// The limit on resolving a service chosen from the device menu.
constexpr std::chrono::milliseconds menuResolutionLimit = 2000ms;

// A service as the log shows it: before resolution only its name is known.
QString serviceText(const ServiceRecord& service)
{
    return service.port == 0 ? QStringLiteral("\"%1\"").arg(service.name) : service.description();
}

QString hostAddresses()
{
    QStringList addresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        addresses << QStringLiteral("\"%1\"").arg(address.toString());
    }
    return QStringLiteral("(%1)").arg(addresses.join(QStringLiteral(", ")));
}

} // namespace

ClientManager::ClientManager(QObject* parent)
    : QObject(parent)
    , m_connectionLimit(DeviceConnection::limit)
{
}

ClientManager::~ClientManager()
{
    dropSocket();
}

void ClientManager::awakeFromNib(ClientManagerDelegate* appDel)
{
    m_arrServices.clear();
    m_browser = std::make_unique<ServiceBrowser>();
    QObject::connect(m_browser.get(), &ServiceBrowser::didFindService, this,
                     &ClientManager::netServiceBrowserDidFindService);
    QObject::connect(m_browser.get(), &ServiceBrowser::didRemoveService, this,
                     &ClientManager::netServiceBrowserDidRemoveService);
    QObject::connect(m_browser.get(), &ServiceBrowser::didResolveAddress, this,
                     &ClientManager::netServiceDidResolveAddress);
    QObject::connect(m_browser.get(), &ServiceBrowser::didNotResolve, this,
                     &ClientManager::netServiceDidNotResolve);

    m_appDel = appDel;
    delete m_dispatcher;
    m_dispatcher = new ResponseDispatcher(*appDel, [this](const QByteArray& data) { sendRawData(data); }, this);
    dropSocket();
    m_connectedService.reset();
    m_isConnected = false;
    m_isReady = false;

    search();
}

void ClientManager::search()
{
    m_browser->searchForServices(QStringLiteral("_airplay._tcp"), QStringLiteral("local."));
}

void ClientManager::netServiceBrowserDidFindService(const ServiceRecord& service, bool moreComing)
{
    systemLog(QStringLiteral("%1: Added service: %2").arg(Q_FUNC_INFO, serviceText(service)));
    m_arrServices.append(service);
    if (moreComing || m_connectedService) {
        return;
    }
    if (!m_observingSelection) {
        m_observingSelection = true;
        QObject::connect(&m_servicesController, &ServicesController::selectionIndexesChanged, this,
                         &ClientManager::connect);
    }
    const DeviceMenu menu = deviceMenu();
    m_appDel->setAirplayDevices(menu);
    connectToService(menu.items.at(1));
    m_servicesController.setSelectionIndex(0);
}

void ClientManager::netServiceBrowserDidRemoveService(const ServiceRecord& service, bool)
{
    systemLog(QStringLiteral("%1: Removed service: %2").arg(Q_FUNC_INFO, serviceText(service)));
    m_arrServices.removeAll(service);
    m_servicesController.removeObject(service);
    if (m_connectedService && *m_connectedService == service) {
        m_isConnected = false;
        m_isReady = false;
    }
}

void ClientManager::connectToService(const DeviceMenuItem& menuItem)
{
    if (menuItem.tag < 0 || menuItem.tag >= m_arrServices.size()) {
        systemLog(QStringLiteral("%1: \"%2\" (tag %3) names no service any more: %4 service(s) are known")
                      .arg(Q_FUNC_INFO, menuItem.title)
                      .arg(menuItem.tag)
                      .arg(m_arrServices.size()));
        return;
    }
    disconnectFromDevice();
    resolve(m_arrServices.at(menuItem.tag), menuResolutionLimit);
    if (DeviceMenu* menu = m_appDel->airplayDevices()) {
        menu->setChosenItem(menuItem.tag);
    }
}

void ClientManager::connect()
{
    disconnectFromDevice();
    const QList<ServiceRecord> selected = m_servicesController.selectedObjects();
    if (!selected.isEmpty()) {
        resolve(selected.last(), 0ms);
    }
}

void ClientManager::netServiceDidNotResolve(const ServiceRecord&, const QString& error)
{
    const QString line = QStringLiteral("%1: Could not resolve: %2").arg(Q_FUNC_INFO, error);
    systemLog(line);
    m_appDel->addToLog(line);
}

void ClientManager::addDevice(const ServiceRecord& device)
{
    qsizetype index = m_arrServices.indexOf(device);
    if (index < 0) {
        systemLog(QStringLiteral("%1: Added service: %2").arg(Q_FUNC_INFO, device.description()));
        m_arrServices.append(device);
        index = m_arrServices.size() - 1;
    }
    const DeviceMenu menu = deviceMenu();
    m_appDel->setAirplayDevices(menu);
    connectToService(menu.items.at(1 + index));
}

bool ClientManager::isDiscoveryAvailable() const
{
    return m_browser && m_browser->isDaemonReachable();
}

DeviceMenu ClientManager::deviceMenu()
{
    DeviceMenu menu;
    DeviceMenuItem heading;
    heading.title = QStringLiteral("AirPlay to:");
    heading.enabled = false;
    heading.tag = DeviceMenu::informationTag;
    menu.items.append(heading);
    const QPointer<ClientManager> self(this);
    for (qsizetype i = 0; i < m_arrServices.size(); ++i) {
        DeviceMenuItem item;
        item.title = m_arrServices.at(i).name;
        item.tag = static_cast<int>(i);
        item.action = [self](const DeviceMenuItem& chosen) {
            if (self) {
                self->connectToService(chosen);
            }
        };
        menu.items.append(item);
    }
    return menu;
}

// A device given by its address needs no resolution: it is connected at once.
void ClientManager::resolve(const ServiceRecord& service, std::chrono::milliseconds limit)
{
    if (!service.address.isEmpty()) {
        m_browser->cancelResolution();
        netServiceDidResolveAddress(service);
        return;
    }
    m_browser->resolve(service, limit);
}

void ClientManager::sendRawData(const QByteArray& data, std::function<void(const QByteArray* answer)> answered)
{
    if (!m_socket) {
        systemLog(QStringLiteral("No Apple TV is connected; a request of %1 bytes was not sent").arg(data.size()));
        if (answered) {
            answered(nullptr);
        }
        return;
    }
    if (m_socket->isClosed() && m_connectedService) {
        systemLog(QStringLiteral("The connection to %1 has closed; opening it again")
                      .arg(m_connectedService->description()));
        openConnection(*m_connectedService, Q_FUNC_INFO);
    }
    m_isReady = false;
    m_socket->write(data, std::move(answered));
}

void ClientManager::disconnectFromDevice()
{
    if (!m_connectedService) {
        systemLog(QStringLiteral("%1 There are no connected devices").arg(Q_FUNC_INFO));
        return;
    }
    m_connectedService.reset();
    dropSocket();
    m_isConnected = false;
    m_isReady = false;
}

void ClientManager::netServiceDidResolveAddress(const ServiceRecord& service)
{
    openConnection(service, Q_FUNC_INFO);
}

void ClientManager::openConnection(const ServiceRecord& service, const char* operation)
{
    const QString connected = QStringLiteral("%1: Connected to service: %2").arg(operation, service.description());
    systemLog(connected);
    m_appDel->addToLog(connected);

    m_isConnected = true;
    m_connectedService = service;
    m_isReady = false;

    dropSocket();
    m_socket = new DeviceConnection(this);
    m_socket->setLimit(m_connectionLimit);
    for (int i = 0; i < m_holds; ++i) {
        m_socket->hold();
    }
    DeviceConnection* socket = m_socket;
    QObject::connect(
        socket, &DeviceConnection::connected, this,
        [this, socket](const QString& host, quint16 port) { onSocketDidConnectToHost(socket, host, port); });
    QObject::connect(socket, &DeviceConnection::responseReceived, this,
                     [this](const QByteArray& data) { onSocketDidReadData(data, 1); });
    QObject::connect(socket, &DeviceConnection::failedToOpen, this, [this, service](const QString& reason) {
        m_appDel->connectionFailed(service.name, reason);
    });

    m_appDel->setHost(service.hostName);
    m_appDel->setPort(service.port);
    m_appDel->setIsPassOpened(false);

    socket->connectToHost(service.connectTarget(), service.port);

    const QString hosts = QStringLiteral("Host======== : %1").arg(hostAddresses());
    systemLog(hosts);
    m_appDel->addToLog(hosts);
}

void ClientManager::onSocketDidConnectToHost(DeviceConnection* socket, const QString& host, quint16 port)
{
    if (socket != m_socket) {
        systemLog(QStringLiteral("Ignoring %1 from socket %2; socket does not match _connecting device %3")
                      .arg(Q_FUNC_INFO, socket->peer(),
                           m_connectedService ? m_connectedService->description() : QStringLiteral("(null)")));
        return;
    }
    m_isReady = true;
    systemLog(QStringLiteral("%1: Socket opened successful (%2:%3)").arg(Q_FUNC_INFO, host).arg(port));
    emit test();
}

void ClientManager::onSocketDidReadData(const QByteArray& data, long)
{
    m_dispatcher->dispatch(data);
}

void ClientManager::reopenConnection()
{
    if (m_connectedService && (!m_socket || m_socket->isClosed())) {
        systemLog(QStringLiteral("The connection to %1 has closed; opening it again")
                      .arg(m_connectedService->description()));
        openConnection(*m_connectedService, Q_FUNC_INFO);
    }
}

bool ClientManager::isConnectionOpen() const
{
    return m_socket && m_socket->isOpen();
}

QHostAddress ClientManager::localAddress() const
{
    return m_socket ? m_socket->localAddress() : QHostAddress();
}

void ClientManager::dropSocket()
{
    if (!m_socket) {
        return;
    }
    m_socket->disconnect(this);
    m_socket->shutDown();
    m_socket->deleteLater();
    m_socket = nullptr;
}

ClientManager::Hold::Hold(ClientManager& manager)
    : m_manager(&manager)
{
    ++manager.m_holds;
    if (manager.m_socket) {
        manager.m_socket->hold();
    }
}

ClientManager::Hold::~Hold()
{
    if (!m_manager) {
        return;
    }
    --m_manager->m_holds;
    if (m_manager->m_socket) {
        m_manager->m_socket->release();
    }
}
