#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class AvahiConnection;
struct AvahiEntryGroup;

// Publishes the local media server by DNS-SD as "_http._tcp." in "local.", under this
// machine's name, through the Avahi daemon. Without the daemon the publication waits for
// it, and it is made again when the daemon comes back; a name that is taken gives way to the
// next free one. Failures are logged and stop nothing.
class ServicePublisher : public QObject
{
    Q_OBJECT

public:
    explicit ServicePublisher(QObject* parent = nullptr);
    // Withdraws the publication.
    ~ServicePublisher() override;

    // Publishes the server at this port, replacing an earlier publication.
    void publish(quint16 port);
    // Withdraws the publication, if there is one.
    void withdraw();

private:
    struct Callbacks;
    friend struct Callbacks;

    void onClientStateChanged();
    void addService();
    void handleGroupState(quint64 generation, int state, const QString& error);
    void forgetGroup();

    std::unique_ptr<AvahiConnection> m_connection;
    AvahiEntryGroup* m_group = nullptr;
    // Which entry group a report comes from; changed under the lock.
    quint64 m_groupGeneration = 0;
    std::optional<quint16> m_port;
    QString m_name;
};
