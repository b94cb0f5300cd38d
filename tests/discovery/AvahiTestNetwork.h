#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// A private network for discovery tests: a network namespace of its own holding a veth pair
// (10.99.0.1 on va, 10.99.0.2 on vb), a private system D-Bus, and an avahi-daemon limited to
// that pair, so that no multicast reaches the machine's own network. While the object lives
// the calling thread is inside the namespace (so are the sockets it makes) and
// DBUS_SYSTEM_BUS_ADDRESS names the private bus. Everything it started is ended by process
// id when it goes, and the namespace is removed; its processes also die with the test
// process should that crash.
class AvahiTestNetwork
{
public:
    // Why such a network cannot be made here (not root, a tool missing); empty when it can.
    static QString unavailableReason();

    // The system bus of every network of this process. The D-Bus library takes the bus
    // address once per process, so all networks of a process use the same socket; while
    // none is up the socket does not exist.
    static QString busAddress();

    // Makes the namespace and the bus, and enters the namespace; the daemon is not started.
    AvahiTestNetwork();
    ~AvahiTestNetwork();
    AvahiTestNetwork(const AvahiTestNetwork&) = delete;
    AvahiTestNetwork& operator=(const AvahiTestNetwork&) = delete;

    // What went wrong while setting up; empty when the network is up.
    const QString& error() const { return m_error; }

    // Starts avahi-daemon and waits until it has started up.
    bool startDaemon();
    void stopDaemon();
    // What the daemon wrote, for failure messages.
    QByteArray daemonOutput() const { return m_daemonOutput; }

    // Announces a service with avahi-publish until withdraw() or the end; waits until it is
    // established.
    bool publish(const QString& name, const QString& type, quint16 port);
    void withdraw(const QString& name);

    // The services of this type as avahi-browse lists them, resolved: one line per
    // interface, "=;va;IPv4;name;type;domain;host;address;port;txt".
    QStringList browse(const QString& type);

private:
    std::unique_ptr<QProcess> startInNamespace(const QStringList& command);
    bool waitForOutput(QProcess& process, const QByteArray& text, QByteArray& output, int milliseconds);
    bool run(const QStringList& command);
    static void end(QProcess& process);

    QString m_name;
    QTemporaryDir m_dir;
    QString m_error;
    bool m_namespaceMade = false;
    int m_originalNamespace = -1;
    std::optional<QByteArray> m_savedBusAddress;
    std::unique_ptr<QProcess> m_bus;
    std::unique_ptr<QProcess> m_daemon;
    QByteArray m_daemonOutput;
    QMap<QString, std::shared_ptr<QProcess>> m_publishers;
};
