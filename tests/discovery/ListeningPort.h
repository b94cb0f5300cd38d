#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

// Stands in for an Apple TV's AirPlay port: a TCP listener that counts the connections it
// accepts and keeps them open.
class ListeningPort : public QObject
{
    Q_OBJECT

public:
    explicit ListeningPort(const QHostAddress& address = QHostAddress(QHostAddress::AnyIPv4));

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    int connections() const { return m_connections; }

private:
    QTcpServer m_server;
    int m_connections = 0;
};
