#pragma once

#include "airplay/ServiceEventBatcher.h"
#include "airplay/ServiceRecord.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class AvahiConnection;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;

// Finds DNS-SD services through the Avahi daemon and resolves them. Events arrive on the
// main thread: found and removed services in batches (the last event of a batch has
// more-coming off), one per service name however many interfaces and protocols it is seen
// on. Without the daemon it waits for it; when the daemon goes, the services it had reported
// are reported removed, and browsing starts again when the daemon is back.
class ServiceBrowser : public QObject
{
    Q_OBJECT

public:
    explicit ServiceBrowser(QObject* parent = nullptr);
    ~ServiceBrowser() override;

    // Browses for services of this type ("_airplay._tcp") in this domain ("local.") from now
    // on, for the life of the browser.
    void searchForServices(const QString& type, const QString& domain);

    // Resolves a service found by this browser to its host name, port and an address to
    // connect to; the result comes as didResolveAddress() or didNotResolve(). A limit of 0
    // sets none of our own. A new resolution replaces one still under way, whose result is
    // no longer wanted.
    void resolve(const ServiceRecord& service, std::chrono::milliseconds limit);
    // Forgets a resolution still under way.
    void cancelResolution();

    // Whether the Avahi daemon can be reached.
    bool isDaemonReachable() const;

signals:
    void didFindService(const ServiceRecord& service, bool moreComing);
    void didRemoveService(const ServiceRecord& service, bool moreComing);
    void didResolveAddress(const ServiceRecord& service);
    void didNotResolve(const ServiceRecord& service, const QString& error);

private:
    // The Avahi callbacks, on Avahi's thread.
    struct Callbacks;
    friend struct Callbacks;

    void onClientStateChanged();
    void startBrowsing();
    void stopBrowsing();
    void handleBrowserEvent(quint64 generation, int event, const QString& name, int interface, int protocol,
                            const QString& error);
    void deliver(const QList<ServiceEventBatcher::Event>& events);
    void finishResolution(quint64 id, const std::optional<ServiceRecord>& resolved, const QString& error);
    void failResolution(const QString& error);

    std::unique_ptr<AvahiConnection> m_connection;
    QString m_type;
    QString m_domain;
    ServiceEventBatcher m_batcher;
    AvahiServiceBrowser* m_browser = nullptr;
    // Which browser an event comes from; changed under the lock.
    quint64 m_browserGeneration = 0;

    AvahiServiceResolver* m_resolver = nullptr;
    ServiceRecord m_resolving;
    // Which resolution a result belongs to; changed under the lock.
    quint64 m_resolutionId = 0;
    QTimer m_resolutionLimit;
};
