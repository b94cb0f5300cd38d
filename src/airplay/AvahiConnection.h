#pragma once

#include <avahi-client/client.h>
#include <avahi-common/thread-watch.h>

#include <QObject>
#include <QTimer>

// One connection to the Avahi daemon over the system D-Bus, served by a thread of its own
// (Avahi's threaded poll). The callbacks of Avahi objects made on this client run on that
// thread with the poll's lock held: they copy what they are given and hand it to the main
// thread with a queued invocation. The main thread takes the lock (Lock) for every call into
// Avahi.
//
// Without a daemon the client waits for one; when the daemon goes away it is made anew and
// waits again; without a reachable system bus it tries again every few seconds. Owners
// follow stateChanged(): they make their browsers and entry groups while the daemon is
// there, and forget them when it is not. When the state is AVAHI_CLIENT_FAILURE, the client
// is about to be freed, and every object made on it with it.
class AvahiConnection : public QObject
{
    Q_OBJECT

public:
    explicit AvahiConnection(QObject* parent = nullptr);
    ~AvahiConnection() override;

    // Ends the thread: no callback runs after this returns. Owners call it first in their
    // destructors, before anything the callbacks use goes.
    void stop();

    class Lock
    {
    public:
        explicit Lock(AvahiConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        AvahiThreadedPoll* m_poll;
    };

    // With the lock held: the client, or null while there is none.
    AvahiClient* client() const { return m_client; }

    // The state as the main thread last saw it; AVAHI_CLIENT_FAILURE while there is no client.
    AvahiClientState state() const { return m_state; }
    // The daemon is there: browsing and publishing may start.
    bool isReachable() const;

signals:
    void stateChanged();

private:
    static void onClientState(AvahiClient* client, AvahiClientState state, void* userdata);
    void connectToDaemon();
    void onStateReported(quint64 generation);
    void freeClient();

    AvahiThreadedPoll* m_poll = nullptr;
    AvahiClient* m_client = nullptr;
    // Which client a report comes from; changed under the lock.
    quint64 m_generation = 0;
    AvahiClientState m_state = AVAHI_CLIENT_FAILURE;
    QTimer m_retry;
    bool m_waitingLogged = false;
    bool m_stopped = false;
};
