#pragma once

#include "airplay/ServiceRecord.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class ClientManagerDelegate;
class DeviceConnection;
class ResponseDispatcher;

// Owns the one control connection to the chosen Apple TV: opens it when a service has been
// resolved, writes every request onto it, hands every answer to the response dispatcher, and
// signals test() (the "Test" notification) each time a connection opens.
class ClientManager : public QObject
{
    Q_OBJECT

public:
    explicit ClientManager(QObject* parent = nullptr);
    ~ClientManager() override;

    // Start-up: takes the application's controller and clears the connection state.
    void awakeFromNib(ClientManagerDelegate* appDel);

    // Writes a request and awaits one answer. When the connection has closed, it is opened
    // again to the last resolved Apple TV first; with no Apple TV resolved the request is
    // dropped (and logged).
    void sendRawData(const QByteArray& data);

    // Forgets the current Apple TV and closes its connection.
    void disconnectFromDevice();

    // A service has been resolved: opens a new connection to it.
    void netServiceDidResolveAddress(const ServiceRecord& service);

    void onSocketDidConnectToHost(DeviceConnection* socket, const QString& host, quint16 port);
    void onSocketDidReadData(const QByteArray& data, long tag);

    // Keeps the connection from writing and delivering while a modal prompt is up.
    class Hold
    {
    public:
        explicit Hold(ClientManager& manager);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        QPointer<ClientManager> m_manager;
    };
    [[nodiscard]] Hold holdConnection() { return Hold(*this); }

    const QList<ServiceRecord>& arrServices() const { return m_arrServices; }
    const std::optional<ServiceRecord>& connectedService() const { return m_connectedService; }
    bool isConnected() const { return m_isConnected; }
    bool isReady() const { return m_isReady; }

    // This machine's address on the control connection: the one the Apple TV reaches us on.
    QHostAddress localAddress() const;

    // The connection's deadline, shortened by tests.
    void setConnectionLimit(std::chrono::milliseconds limit) { m_connectionLimit = limit; }

signals:
    void test();

private:
    void openConnection(const ServiceRecord& service, const char* operation);
    void dropSocket();

    ClientManagerDelegate* m_appDel = nullptr;
    ResponseDispatcher* m_dispatcher = nullptr;
    DeviceConnection* m_socket = nullptr;
    QList<ServiceRecord> m_arrServices;
    std::optional<ServiceRecord> m_connectedService;
    bool m_isConnected = false;
    bool m_isReady = false;
    int m_holds = 0;
    std::chrono::milliseconds m_connectionLimit;
};
