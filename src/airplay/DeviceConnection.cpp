#include "airplay/DeviceConnection.h"

#include "diagnostics/SystemLog.h"

#include <QPointer>

DeviceConnection::DeviceConnection(QObject* parent) : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &DeviceConnection::onDeadline);
    connect(&m_socket, &QTcpSocket::connected, this, &DeviceConnection::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &DeviceConnection::onReadyRead);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &DeviceConnection::onBytesWritten);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &DeviceConnection::onSocketError);
}

DeviceConnection::~DeviceConnection()
{
    m_socket.disconnect(this);
    m_socket.abort();
}

void DeviceConnection::connectToHost(const QString& host, quint16 port)
{
    m_host = host;
    m_port = port;
    m_peer = QStringLiteral("%1:%2").arg(host).arg(port);
    m_socket.connectToHost(host, port);
}

void DeviceConnection::write(const QByteArray& request, AnswerHandler answered)
{
    if (m_closed) {
        systemLog(QStringLiteral("Connection to %1 is closed; request of %2 bytes not sent")
                      .arg(m_peer)
                      .arg(request.size()));
        if (answered) {
            answered(nullptr);
        }
        return;
    }
    m_unwritten.append({request, std::move(answered)});
    flushWrites();
}

void DeviceConnection::hold()
{
    ++m_holds;
    m_deadline.stop();
}

void DeviceConnection::release()
{
    if (m_holds > 0 && --m_holds == 0) {
        QMetaObject::invokeMethod(this, &DeviceConnection::resume, Qt::QueuedConnection);
    }
}

void DeviceConnection::shutDown()
{
    m_closed = true;
    m_deadline.stop();
    m_socket.abort();
    abandonRequests();
}

void DeviceConnection::resume()
{
    if (m_holds > 0) {
        return;
    }
    if (m_connectedUndelivered && !m_closed) {
        m_connectedUndelivered = false;
        QPointer self(this);
        emit connected(m_host, m_port);
        if (!self || m_holds > 0) {
            return;
        }
    }
    flushWrites();
    deliverResponses();
}

void DeviceConnection::onConnected()
{
    m_open = true;
    if (m_holds > 0) {
        m_connectedUndelivered = true;
        return;
    }
    QPointer self(this);
    emit connected(m_host, m_port);
    if (self) {
        flushWrites();
    }
}

void DeviceConnection::flushWrites()
{
    if (!m_open || m_holds > 0 || m_closed || m_connectedUndelivered) {
        return;
    }
    while (!m_unwritten.isEmpty()) {
        Request request = m_unwritten.takeFirst();
        m_socket.write(request.bytes);
        m_awaiting.append(std::move(request.answered));
    }
    armDeadline();
}

void DeviceConnection::onReadyRead()
{
    m_framer.append(m_socket.readAll());
    deliverResponses();
}

void DeviceConnection::deliverResponses()
{
    QPointer self(this);
    while (m_holds == 0) {
        const auto response = m_framer.takeResponse();
        if (!response) {
            break;
        }
        const AnswerHandler answered = m_awaiting.isEmpty() ? AnswerHandler() : m_awaiting.takeFirst();
        armDeadline();
        if (answered) {
            answered(&*response);
            if (!self) {
                return;
            }
        }
        emit responseReceived(*response);
        if (!self) {
            return;
        }
    }
    if (m_framer.isBroken() && !m_closed) {
        closeWithReason(QStringLiteral("its answer cannot be read as an HTTP response"));
    }
}

void DeviceConnection::onBytesWritten()
{
    armDeadline();
}

void DeviceConnection::armDeadline()
{
    if (m_holds == 0 && !m_closed && (m_socket.bytesToWrite() > 0 || !m_awaiting.isEmpty())) {
        m_deadline.start(m_limit);
    } else {
        m_deadline.stop();
    }
}

void DeviceConnection::onDeadline()
{
    closeWithReason(m_socket.bytesToWrite() > 0
                        ? QStringLiteral("a request could not be written within %1 ms").arg(m_limit.count())
                        : QStringLiteral("no answer came within %1 ms").arg(m_limit.count()));
}

void DeviceConnection::onSocketError(QAbstractSocket::SocketError error)
{
    // An answer that came just before the peer closed is still delivered.
    if (error == QAbstractSocket::RemoteHostClosedError && m_socket.bytesAvailable() > 0) {
        QPointer self(this);
        onReadyRead();
        if (!self) {
            return;
        }
    }
    const QString reason = m_socket.errorString();
    const bool neverOpened = !m_open && !m_closed;
    QPointer self(this);
    closeWithReason(reason);
    if (self && neverOpened) {
        emit failedToOpen(reason);
    }
}

void DeviceConnection::closeWithReason(const QString& reason)
{
    if (m_closed) {
        return;
    }
    m_closed = true;
    m_deadline.stop();
    systemLog(QStringLiteral("Connection to %1 closed: %2").arg(m_peer, reason));
    if (!m_unwritten.isEmpty() || !m_awaiting.isEmpty()) {
        systemLog(QStringLiteral("Connection to %1: %2 request(s) not sent, %3 answer(s) not received")
                      .arg(m_peer)
                      .arg(m_unwritten.size())
                      .arg(m_awaiting.size()));
    }
    m_socket.abort();
    abandonRequests();
}

// Tells every request still waiting that its answer will not come. The handlers may send
// again (on a new connection): the lists are emptied first.
void DeviceConnection::abandonRequests()
{
    QList<AnswerHandler> handlers;
    handlers.swap(m_awaiting);
    for (Request& request : m_unwritten) {
        handlers.append(std::move(request.answered));
    }
    m_unwritten.clear();
    for (const AnswerHandler& answered : handlers) {
        if (answered) {
            answered(nullptr);
        }
    }
}
