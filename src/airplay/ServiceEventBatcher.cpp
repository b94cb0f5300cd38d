#include "airplay/ServiceEventBatcher.h"

QList<ServiceEventBatcher::Event> ServiceEventBatcher::itemNew(const QString& name, int interface,
                                                               int protocol)
{
    for (Service& service : m_services) {
        if (service.name == name) {
            service.instances.insert({interface, protocol});
            return {};
        }
    }
    m_services.append({name, {{interface, protocol}}});
    return deliver(Event::Found, name);
}

QList<ServiceEventBatcher::Event> ServiceEventBatcher::itemRemove(const QString& name, int interface,
                                                                  int protocol)
{
    for (qsizetype i = 0; i < m_services.size(); ++i) {
        if (m_services[i].name != name) {
            continue;
        }
        m_services[i].instances.remove({interface, protocol});
        if (!m_services[i].instances.isEmpty()) {
            return {};
        }
        m_services.removeAt(i);
        return deliver(Event::Removed, name);
    }
    return {};
}

QList<ServiceEventBatcher::Event> ServiceEventBatcher::allForNow()
{
    m_inFirstBatch = false;
    if (!m_holdingBack) {
        return {};
    }
    m_holdingBack = false;
    m_heldBack.moreComing = false;
    return {m_heldBack};
}

QList<ServiceEventBatcher::Event> ServiceEventBatcher::browsingLost()
{
    QList<Event> events;
    if (m_holdingBack) {
        m_holdingBack = false;
        m_heldBack.moreComing = !m_services.isEmpty();
        events.append(m_heldBack);
    }
    for (qsizetype i = 0; i < m_services.size(); ++i) {
        events.append({Event::Removed, m_services[i].name, i + 1 < m_services.size()});
    }
    m_services.clear();
    m_inFirstBatch = true;
    return events;
}

QList<ServiceEventBatcher::Event> ServiceEventBatcher::deliver(Event::Kind kind, const QString& name)
{
    if (!m_inFirstBatch) {
        return {{kind, name, false}};
    }
    QList<Event> events;
    if (m_holdingBack) {
        m_heldBack.moreComing = true;
        events.append(m_heldBack);
    }
    m_heldBack = {kind, name, false};
    m_holdingBack = true;
    return events;
}
