#pragma once

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

// Turns the Avahi browser's events into the found and removed events the client manager
// expects. Avahi reports a service once for every interface and protocol it is seen on;
// here it is found when first seen and removed when last seen. Events come in batches:
// while the first batch after the start of browsing goes on, an event carries more-coming
// and the last one (at Avahi's "all for now") does not; so every event of the first batch is
// held back until the next one arrives. After it, each event is a batch of its own.
class ServiceEventBatcher
{
public:
    struct Event
    {
        enum Kind
        {
            Found,
            Removed
        };
        Kind kind;
        QString name;
        bool moreComing;
        friend bool operator==(const Event&, const Event&) = default;
    };

    QList<Event> itemNew(const QString& name, int interface, int protocol);
    QList<Event> itemRemove(const QString& name, int interface, int protocol);
    QList<Event> allForNow();

    // Browsing has ended (the daemon went away): every service known is removed, in one
    // batch, and the next browsing starts a first batch again.
    QList<Event> browsingLost();

private:
    struct Service
    {
        QString name;
        QSet<QPair<int, int>> instances;
    };

    QList<Event> deliver(Event::Kind kind, const QString& name);

    QList<Service> m_services;
    bool m_inFirstBatch = true;
    bool m_holdingBack = false;
    Event m_heldBack{Event::Found, {}, false};
};
