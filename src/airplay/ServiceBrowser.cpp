#include "airplay/ServiceBrowser.h"

#include "airplay/AvahiConnection.h"
#include "diagnostics/SystemLog.h"

#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>

#include <net/if.h>

namespace {

const QString daemonMissing = QStringLiteral("the Avahi daemon (avahi-daemon) is not running");

QString clientError(AvahiClient* client)
{
    return QString::fromUtf8(avahi_strerror(avahi_client_errno(client)));
}

// The address as text that a socket can connect to: a link-local IPv6 address needs the
// interface it was seen on.
QString connectableAddress(const AvahiAddress* address, AvahiIfIndex interface)
{
    char text[AVAHI_ADDRESS_STR_MAX];
    avahi_address_snprint(text, sizeof text, address);
    QString result = QString::fromLatin1(text);
    const bool linkLocal = address->proto == AVAHI_PROTO_INET6 && address->data.ipv6.address[0] == 0xfe &&
                           (address->data.ipv6.address[1] & 0xc0) == 0x80;
    char interfaceName[IF_NAMESIZE];
    if (linkLocal && interface >= 0 && if_indextoname(static_cast<unsigned>(interface), interfaceName)) {
        result += QLatin1Char('%') + QString::fromLocal8Bit(interfaceName);
    }
    return result;
}

} // namespace

struct ServiceBrowser::Callbacks
{
    static void browserEvent(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
                             AvahiBrowserEvent event, const char* name, const char*, const char*,
                             AvahiLookupResultFlags, void* userdata)
    {
        auto* self = static_cast<ServiceBrowser*>(userdata);
        const quint64 generation = self->m_browserGeneration;
        const QString serviceName = name ? QString::fromUtf8(name) : QString();
        const QString error = event == AVAHI_BROWSER_FAILURE
                                  ? clientError(avahi_service_browser_get_client(browser))
                                  : QString();
        QMetaObject::invokeMethod(
            self,
            [=] { self->handleBrowserEvent(generation, event, serviceName, interface, protocol, error); },
            Qt::QueuedConnection);
    }

    static void resolverEvent(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol,
                              AvahiResolverEvent event, const char* name, const char*, const char*,
                              const char* hostName, const AvahiAddress* address, uint16_t port,
                              AvahiStringList*, AvahiLookupResultFlags, void* userdata)
    {
        auto* self = static_cast<ServiceBrowser*>(userdata);
        const quint64 id = self->m_resolutionId;
        std::optional<ServiceRecord> resolved;
        QString error;
        if (event == AVAHI_RESOLVER_FOUND && address) {
            ServiceRecord record;
            record.name = QString::fromUtf8(name);
            record.hostName = QString::fromUtf8(hostName);
            if (!record.hostName.endsWith(QLatin1Char('.'))) {
                record.hostName += QLatin1Char('.');
            }
            record.port = port;
            record.address = connectableAddress(address, interface);
            resolved = record;
        } else {
            error = clientError(avahi_service_resolver_get_client(resolver));
        }
        QMetaObject::invokeMethod(
            self, [=] { self->finishResolution(id, resolved, error); }, Qt::QueuedConnection);
    }
};

ServiceBrowser::ServiceBrowser(QObject* parent)
    : QObject(parent), m_connection(std::make_unique<AvahiConnection>())
{
    m_resolutionLimit.setSingleShot(true);
    QObject::connect(&m_resolutionLimit, &QTimer::timeout, this, [this] {
        failResolution(QStringLiteral("Timed out after %1 s")
                           .arg(QString::number(m_resolutionLimit.interval() / 1000.0, 'f', 1)));
    });
    QObject::connect(m_connection.get(), &AvahiConnection::stateChanged, this,
                     &ServiceBrowser::onClientStateChanged);
}

ServiceBrowser::~ServiceBrowser()
{
    // The client, when it goes with the connection, frees the browser and the resolver.
    m_connection->stop();
}

void ServiceBrowser::searchForServices(const QString& type, const QString& domain)
{
    m_type = type;
    m_domain = domain;
    if (m_connection->isReachable() && !m_browser) {
        startBrowsing();
    }
}

bool ServiceBrowser::isDaemonReachable() const
{
    return m_connection->isReachable();
}

void ServiceBrowser::onClientStateChanged()
{
    if (m_connection->isReachable()) {
        if (!m_browser && !m_type.isEmpty()) {
            startBrowsing();
        }
        return;
    }
    if (m_resolver) {
        failResolution(daemonMissing);
    }
    stopBrowsing();
}

void ServiceBrowser::startBrowsing()
{
    QString error;
    {
        AvahiConnection::Lock lock(*m_connection);
        ++m_browserGeneration;
        AvahiClient* client = m_connection->client();
        if (client) {
            m_browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                  m_type.toUtf8().constData(), m_domain.toUtf8().constData(),
                                                  AvahiLookupFlags(0), &Callbacks::browserEvent, this);
            error = m_browser ? QString() : clientError(client);
        } else {
            error = daemonMissing;
        }
    }
    if (!m_browser) {
        systemLog(QStringLiteral("Could not browse for %1 services in %2: %3").arg(m_type, m_domain, error));
    }
}

void ServiceBrowser::stopBrowsing()
{
    if (m_browser) {
        AvahiConnection::Lock lock(*m_connection);
        avahi_service_browser_free(m_browser);
        m_browser = nullptr;
        ++m_browserGeneration;
    }
    deliver(m_batcher.browsingLost());
}

void ServiceBrowser::handleBrowserEvent(quint64 generation, int event, const QString& name, int interface,
                                        int protocol, const QString& error)
{
    if (generation != m_browserGeneration) {
        return;
    }
    switch (event) {
    case AVAHI_BROWSER_NEW:
        deliver(m_batcher.itemNew(name, interface, protocol));
        break;
    case AVAHI_BROWSER_REMOVE:
        deliver(m_batcher.itemRemove(name, interface, protocol));
        break;
    case AVAHI_BROWSER_ALL_FOR_NOW:
        deliver(m_batcher.allForNow());
        break;
    case AVAHI_BROWSER_FAILURE:
        systemLog(QStringLiteral("Browsing for %1 services in %2 failed: %3").arg(m_type, m_domain, error));
        stopBrowsing();
        break;
    default:
        break;
    }
}

void ServiceBrowser::deliver(const QList<ServiceEventBatcher::Event>& events)
{
    for (const ServiceEventBatcher::Event& event : events) {
        ServiceRecord service;
        service.name = event.name;
        if (event.kind == ServiceEventBatcher::Event::Found) {
            emit didFindService(service, event.moreComing);
        } else {
            emit didRemoveService(service, event.moreComing);
        }
    }
}

void ServiceBrowser::resolve(const ServiceRecord& service, std::chrono::milliseconds limit)
{
    cancelResolution();
    m_resolving = service;
    QString error;
    quint64 id = 0;
    {
        AvahiConnection::Lock lock(*m_connection);
        id = ++m_resolutionId;
        AvahiClient* client = m_connection->client();
        if (client && m_connection->isReachable()) {
            m_resolver = avahi_service_resolver_new(
                client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, service.name.toUtf8().constData(),
                m_type.toUtf8().constData(), m_domain.toUtf8().constData(), AVAHI_PROTO_UNSPEC,
                AvahiLookupFlags(0), &Callbacks::resolverEvent, this);
            error = m_resolver ? QString() : clientError(client);
        } else {
            error = daemonMissing;
        }
    }
    if (!m_resolver) {
        // Failures are reported later, from the event loop, as the daemon's are.
        QMetaObject::invokeMethod(
            this, [this, id, error] { finishResolution(id, std::nullopt, error); }, Qt::QueuedConnection);
        return;
    }
    if (limit.count() > 0) {
        m_resolutionLimit.start(limit);
    }
}

void ServiceBrowser::cancelResolution()
{
    m_resolutionLimit.stop();
    AvahiConnection::Lock lock(*m_connection);
    if (m_resolver) {
        avahi_service_resolver_free(m_resolver);
        m_resolver = nullptr;
    }
    ++m_resolutionId;
}

void ServiceBrowser::failResolution(const QString& error)
{
    finishResolution(m_resolutionId, std::nullopt, error);
}

void ServiceBrowser::finishResolution(quint64 id, const std::optional<ServiceRecord>& resolved,
                                      const QString& error)
{
    if (id != m_resolutionId) {
        return;
    }
    const ServiceRecord service = m_resolving;
    cancelResolution();
    if (resolved) {
        emit didResolveAddress(*resolved);
    } else {
        emit didNotResolve(service, QStringLiteral("%1 (resolving \"%2\")").arg(error, service.name));
    }
}
