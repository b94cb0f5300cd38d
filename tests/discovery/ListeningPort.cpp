#include "ListeningPort.h"

#include <QTcpSocket>

ListeningPort::ListeningPort(const QHostAddress& address)
{
    QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (m_server.hasPendingConnections()) {
            m_server.nextPendingConnection()->setParent(&m_server);
            ++m_connections;
        }
    });
    m_server.listen(address, 0);
}
