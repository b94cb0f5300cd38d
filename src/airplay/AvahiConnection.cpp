#include "airplay/AvahiConnection.h"

#include "diagnostics/SystemLog.h"

#include <avahi-common/error.h>

#include <chrono>

namespace {

constexpr std::chrono::seconds retryInterval{5};

} // namespace

AvahiConnection::AvahiConnection(QObject* parent) : QObject(parent), m_poll(avahi_threaded_poll_new())
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryInterval);
    QObject::connect(&m_retry, &QTimer::timeout, this, &AvahiConnection::connectToDaemon);
    if (!m_poll) {
        systemLog(QStringLiteral("Device discovery cannot start: Avahi's event loop could not be made"));
        m_stopped = true;
        return;
    }
    connectToDaemon();
    if (avahi_threaded_poll_start(m_poll) < 0) {
        systemLog(QStringLiteral("Device discovery cannot start: Avahi's event thread could not be started"));
        m_stopped = true;
    }
}

AvahiConnection::~AvahiConnection()
{
    stop();
    freeClient();
    if (m_poll) {
        avahi_threaded_poll_free(m_poll);
    }
}

void AvahiConnection::stop()
{
    if (!m_stopped) {
        avahi_threaded_poll_stop(m_poll);
        m_stopped = true;
    }
    m_retry.stop();
}

bool AvahiConnection::isReachable() const
{
    return m_state == AVAHI_CLIENT_S_RUNNING || m_state == AVAHI_CLIENT_S_REGISTERING ||
           m_state == AVAHI_CLIENT_S_COLLISION;
}

void AvahiConnection::onClientState(AvahiClient*, AvahiClientState, void* userdata)
{
    auto* self = static_cast<AvahiConnection*>(userdata);
    const quint64 generation = self->m_generation;
    QMetaObject::invokeMethod(
        self, [self, generation] { self->onStateReported(generation); }, Qt::QueuedConnection);
}

void AvahiConnection::connectToDaemon()
{
    int error = 0;
    {
        Lock lock(*this);
        ++m_generation;
        m_client = avahi_client_new(avahi_threaded_poll_get(m_poll), AVAHI_CLIENT_NO_FAIL, &onClientState,
                                    this, &error);
    }
    if (m_client) {
        m_waitingLogged = false;
        return;
    }
    if (!m_waitingLogged) {
        systemLog(
            QStringLiteral(
                "Device discovery waits for the Avahi daemon (avahi-daemon): %1; trying again every %2 s")
                .arg(QString::fromUtf8(avahi_strerror(error)))
                .arg(retryInterval.count()));
        m_waitingLogged = true;
    }
    m_retry.start();
}

void AvahiConnection::onStateReported(quint64 generation)
{
    AvahiClientState state;
    int error = 0;
    {
        Lock lock(*this);
        if (generation != m_generation || !m_client) {
            return;
        }
        state = avahi_client_get_state(m_client);
        error = avahi_client_errno(m_client);
    }
    if (state == m_state && state != AVAHI_CLIENT_FAILURE) {
        return;
    }
    const bool wasReachable = isReachable();
    const bool wasConnecting = m_state == AVAHI_CLIENT_CONNECTING;
    m_state = state;
    if (isReachable() && !wasReachable) {
        systemLog(QStringLiteral("Connected to the Avahi daemon"));
    } else if (state == AVAHI_CLIENT_CONNECTING) {
        systemLog(QStringLiteral("Device discovery waits for the Avahi daemon (avahi-daemon) to start"));
    }
    emit stateChanged();
    if (state != AVAHI_CLIENT_FAILURE) {
        return;
    }
    systemLog(QStringLiteral("The connection to the Avahi daemon failed: %1; connecting anew")
                  .arg(QString::fromUtf8(avahi_strerror(error))));
    freeClient();
    // A client that had reached the daemon (or was waiting for it) is replaced at once; one
    // that failed from the start is tried again later rather than in a tight loop.
    if (wasReachable || wasConnecting) {
        connectToDaemon();
    } else {
        m_retry.start();
    }
}

void AvahiConnection::freeClient()
{
    if (!m_client) {
        return;
    }
    Lock lock(*this);
    avahi_client_free(m_client);
    m_client = nullptr;
    ++m_generation;
}

AvahiConnection::Lock::Lock(AvahiConnection& connection)
    : m_poll(connection.m_stopped ? nullptr : connection.m_poll)
{
    if (m_poll) {
        avahi_threaded_poll_lock(m_poll);
    }
}

AvahiConnection::Lock::~Lock()
{
    if (m_poll) {
        avahi_threaded_poll_unlock(m_poll);
    }
}
