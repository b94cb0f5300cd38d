#pragma once

#include "airplay/DeviceMenu.h"
#include "airplay/ServiceRecord.h"
#include "airplay/ServicesController.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class ClientManagerDelegate;
class DeviceConnection;
class ResponseDispatcher;
class ServiceBrowser;

// Finds the Apple TVs on the network and owns the one control connection to the chosen one:
// builds the device menu, resolves the chosen service and opens the connection to it, writes
// every request onto it, hands every answer to the response dispatcher, and signals test()
// (the "Test" notification) each time a connection opens.
class ClientManager : public QObject
{
    Q_OBJECT

public:
    explicit ClientManager(QObject* parent = nullptr);
    ~ClientManager() override;

    // Start-up: takes the application's controller, clears the connection state and starts
    // browsing for Apple TVs.
    void awakeFromNib(ClientManagerDelegate* appDel);

    // Discovery. Every Apple TV reported found stands in arrServices(), in order of
    // reporting; at the end of a batch, while none is connected, the device menu is built
    // anew and the first one is connected.
    void search();
    void netServiceBrowserDidFindService(const ServiceRecord& service, bool moreComing);
    void netServiceBrowserDidRemoveService(const ServiceRecord& service, bool moreComing);
    // Connects to the service at the position of the item's tag in arrServices(), resolving
    // it within 2 s; an item whose tag is no longer a position there does nothing.
    void connectToService(const DeviceMenuItem& menuItem);
    // Connects to the service selected last in servicesController(), with no time limit.
    void connect();
    void netServiceDidNotResolve(const ServiceRecord& service, const QString& error);

    // An Apple TV given by its address (a record with the address set): it stands in
    // arrServices() once, is shown in the device menu, and is connected at once.
    void addDevice(const ServiceRecord& device);

    ServicesController& servicesController() { return m_servicesController; }
    // Whether discovery works: the Avahi daemon can be reached.
    bool isDiscoveryAvailable() const;

    // Writes a request and awaits one answer. When the connection has closed, it is opened
    // again to the last resolved Apple TV first; with no Apple TV resolved the request is
    // dropped (and logged).
    // The handler, if any, is given this request's own answer before it is dispatched, or
    // null when the connection closed first.
    void sendRawData(const QByteArray& data, std::function<void(const QByteArray* answer)> answered = {});

    // Whether the control connection is open now (not still opening, not closed).
    bool isConnectionOpen() const;

    // Opens the connection to the last resolved Apple TV again when it has closed.
    void reopenConnection();

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
    DeviceMenu deviceMenu();
    void resolve(const ServiceRecord& service, std::chrono::milliseconds limit);

    ClientManagerDelegate* m_appDel = nullptr;
    ResponseDispatcher* m_dispatcher = nullptr;
    DeviceConnection* m_socket = nullptr;
    QList<ServiceRecord> m_arrServices;
    std::optional<ServiceRecord> m_connectedService;
    bool m_isConnected = false;
    bool m_isReady = false;
    int m_holds = 0;
    std::chrono::milliseconds m_connectionLimit;

    std::unique_ptr<ServiceBrowser> m_browser;
    ServicesController m_servicesController;
    bool m_observingSelection = false;
};
