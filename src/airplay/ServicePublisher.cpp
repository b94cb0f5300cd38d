#include "airplay/ServicePublisher.h"

#include "airplay/AvahiConnection.h"
#include "diagnostics/SystemLog.h"

#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace {

const char* const serviceType = "_http._tcp";
const char* const serviceDomain = "local";

} // namespace

struct ServicePublisher::Callbacks
{
    static void groupState(AvahiEntryGroup* group, AvahiEntryGroupState state, void* userdata)
    {
        auto* self = static_cast<ServicePublisher*>(userdata);
        const quint64 generation = self->m_groupGeneration;
        const QString error =
            state == AVAHI_ENTRY_GROUP_FAILURE
                ? QString::fromUtf8(avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(group))))
                : QString();
        QMetaObject::invokeMethod(
            self, [=] { self->handleGroupState(generation, state, error); }, Qt::QueuedConnection);
    }
};

ServicePublisher::ServicePublisher(QObject* parent)
    : QObject(parent), m_connection(std::make_unique<AvahiConnection>())
{
    QObject::connect(m_connection.get(), &AvahiConnection::stateChanged, this,
                     &ServicePublisher::onClientStateChanged);
}

ServicePublisher::~ServicePublisher()
{
    withdraw();
    m_connection->stop();
}

void ServicePublisher::publish(quint16 port)
{
    m_port = port;
    if (m_connection->state() == AVAHI_CLIENT_S_RUNNING) {
        addService();
    }
}

void ServicePublisher::withdraw()
{
    if (m_port) {
        systemLog(QStringLiteral("Withdrawing the media server's publication (port %1)").arg(*m_port));
    }
    m_port.reset();
    m_name.clear();
    forgetGroup();
}

void ServicePublisher::onClientStateChanged()
{
    switch (m_connection->state()) {
    case AVAHI_CLIENT_S_RUNNING:
        if (m_port) {
            addService();
        }
        break;
    case AVAHI_CLIENT_S_REGISTERING:
    case AVAHI_CLIENT_S_COLLISION: {
        // The host name is being established anew: publish again once it is.
        AvahiConnection::Lock lock(*m_connection);
        if (m_group) {
            avahi_entry_group_reset(m_group);
        }
        break;
    }
    default:
        forgetGroup();
        break;
    }
}

// Adds the service to the entry group, made first if need be, and commits it.
void ServicePublisher::addService()
{
    QString error;
    QString name;
    {
        AvahiConnection::Lock lock(*m_connection);
        AvahiClient* client = m_connection->client();
        if (!client) {
            return;
        }
        if (!m_group) {
            ++m_groupGeneration;
            m_group = avahi_entry_group_new(client, &Callbacks::groupState, this);
        } else {
            avahi_entry_group_reset(m_group);
        }
        if (m_name.isEmpty()) {
            m_name = QString::fromUtf8(avahi_client_get_host_name(client));
        }
        name = m_name;
        if (!m_group ||
            avahi_entry_group_add_service(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                          m_name.toUtf8().constData(), serviceType, serviceDomain, nullptr,
                                          *m_port, nullptr) < 0 ||
            avahi_entry_group_commit(m_group) < 0) {
            error = QString::fromUtf8(avahi_strerror(avahi_client_errno(client)));
        }
    }
    if (!error.isEmpty()) {
        systemLog(QStringLiteral("Could not publish the media server as \"%1\" (%2 on port %3): %4")
                      .arg(name, QString::fromLatin1(serviceType))
                      .arg(*m_port)
                      .arg(error));
    }
}

void ServicePublisher::handleGroupState(quint64 generation, int state, const QString& error)
{
    if (generation != m_groupGeneration || !m_group || !m_port) {
        return;
    }
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        systemLog(QStringLiteral("Published the media server as \"%1\" (%2 in %3, port %4)")
                      .arg(m_name, QString::fromLatin1(serviceType), QString::fromLatin1(serviceDomain))
                      .arg(*m_port));
        break;
    case AVAHI_ENTRY_GROUP_COLLISION: {
        char* alternative = avahi_alternative_service_name(m_name.toUtf8().constData());
        const QString taken = m_name;
        m_name = QString::fromUtf8(alternative);
        avahi_free(alternative);
        systemLog(
            QStringLiteral("The name \"%1\" is taken on the network; publishing the media server as \"%2\"")
                .arg(taken, m_name));
        addService();
        break;
    }
    case AVAHI_ENTRY_GROUP_FAILURE:
        systemLog(QStringLiteral("Publishing the media server as \"%1\" failed: %2").arg(m_name, error));
        break;
    default:
        break;
    }
}

void ServicePublisher::forgetGroup()
{
    if (!m_group) {
        return;
    }
    AvahiConnection::Lock lock(*m_connection);
    avahi_entry_group_free(m_group);
    m_group = nullptr;
    ++m_groupGeneration;
}
