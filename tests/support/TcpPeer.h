#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>

// The Apple TV's end of a control connection in tests: a real TCP listener on 127.0.0.1
// that records what each accepted connection received and sends raw bytes back.
class TcpPeer : public QObject
{
    Q_OBJECT

public:
    TcpPeer();

    quint16 port() const { return m_server.serverPort(); }
    int connectionCount() const { return m_connections.size(); }
    QTcpSocket* connection(int index) const { return m_connections.value(index); }
    QByteArray received(int index) const { return m_received.value(index); }

    // Writes the bytes on a connection as separate pieces, each flushed, with a pause after
    // each so that the client reads them one at a time.
    void send(int index, const QList<QByteArray>& pieces,
              std::chrono::milliseconds pause = std::chrono::milliseconds(40));
    void send(int index, const QByteArray& bytes, std::chrono::milliseconds pause = std::chrono::milliseconds(40))
    {
        send(index, QList<QByteArray>{bytes}, pause);
    }

    void closeConnection(int index);

private:
    QTcpServer m_server;
    QList<QTcpSocket*> m_connections;
    QList<QByteArray> m_received;
};
