#include "support/TcpPeer.h"

#include "support/EventLoop.h"

TcpPeer::TcpPeer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            const int index = m_connections.size();
            m_connections.append(socket);
            m_received.append(QByteArray());
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket, index] { m_received[index].append(socket->readAll()); });
        }
    });
}

void TcpPeer::send(int index, const QList<QByteArray>& pieces, std::chrono::milliseconds pause)
{
    QTcpSocket* socket = m_connections.value(index);
    for (const QByteArray& piece : pieces) {
        socket->write(piece);
        socket->flush();
        runEventLoop(pause);
    }
}

void TcpPeer::closeConnection(int index)
{
    m_connections.value(index)->close();
}
