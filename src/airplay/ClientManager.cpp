#include "airplay/ClientManager.h"

#include "airplay/ClientManagerDelegate.h"
#include "airplay/DeviceConnection.h"
#include "airplay/ResponseDispatcher.h"
#include "diagnostics/SystemLog.h"

#include <QNetworkInterface>
#include <QStringList>

namespace {

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
    m_appDel = appDel;
    delete m_dispatcher;
    m_dispatcher = new ResponseDispatcher(*appDel, [this](const QByteArray& data) { sendRawData(data); }, this);
    dropSocket();
    m_connectedService.reset();
    m_isConnected = false;
    m_isReady = false;
}

void ClientManager::sendRawData(const QByteArray& data)
{
    if (!m_socket) {
        systemLog(QStringLiteral("No Apple TV is connected; a request of %1 bytes was not sent").arg(data.size()));
        return;
    }
    if (m_socket->isClosed() && m_connectedService) {
        systemLog(QStringLiteral("The connection to %1 has closed; opening it again")
                      .arg(m_connectedService->description()));
        openConnection(*m_connectedService, Q_FUNC_INFO);
    }
    m_isReady = false;
    m_socket->write(data);
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
    connect(socket, &DeviceConnection::connected, this,
            [this, socket](const QString& host, quint16 port) { onSocketDidConnectToHost(socket, host, port); });
    connect(socket, &DeviceConnection::responseReceived, this,
            [this](const QByteArray& data) { onSocketDidReadData(data, 1); });

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
