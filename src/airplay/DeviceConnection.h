#pragma once

#include "airplay/ResponseFramer.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <functional>

// The one TCP connection to an Apple TV. Requests are written in order; each request awaits
// one answer. The stream has one deadline: while a write is unfinished or an answer is
// awaited, something must move within `limit`, else the connection closes. A closed
// connection stays closed; nobody is told but the log.
//
// While held (a modal prompt is up) nothing is written or delivered and the deadline does not
// run; what was held goes out, in order, from the event loop after the last hold ends.
class DeviceConnection : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds limit{20000};

    // Given the request's own answer, or null when the connection closed first.
    using AnswerHandler = std::function<void(const QByteArray* answer)>;

    explicit DeviceConnection(QObject* parent = nullptr);
    ~DeviceConnection() override;

    // Opens the connection, with no time limit on the opening itself.
    void connectToHost(const QString& host, quint16 port);

    // Writes the request once the connection is open and not held; one answer is awaited.
    // Answers are taken to come in the order of the requests; the handler, if any, is called
    // before its answer is delivered.
    void write(const QByteArray& request, AnswerHandler answered = {});

    void hold();
    void release();

    // Closes the connection at once, quietly: it is no longer wanted.
    void shutDown();

    bool isClosed() const { return m_closed; }
    bool isOpen() const { return m_open && !m_closed; }
    QHostAddress localAddress() const { return m_socket.localAddress(); }
    QString peer() const { return m_peer; }

    // The deadline, shortened by tests.
    void setLimit(std::chrono::milliseconds limit) { m_limit = limit; }

signals:
    void connected(const QString& host, quint16 port);
    // The connection could not be opened at all.
    void failedToOpen(const QString& reason);
    void responseReceived(const QByteArray& response);

private:
    void onConnected();
    void onReadyRead();
    void onBytesWritten();
    void onSocketError(QAbstractSocket::SocketError error);
    void onDeadline();
    void resume();
    void flushWrites();
    void deliverResponses();
    void armDeadline();
    void closeWithReason(const QString& reason);
    void abandonRequests();

    struct Request
    {
        QByteArray bytes;
        AnswerHandler answered;
    };

    QTcpSocket m_socket;
    ResponseFramer m_framer;
    QTimer m_deadline;
    std::chrono::milliseconds m_limit = limit;
    QList<Request> m_unwritten;
    QList<AnswerHandler> m_awaiting;
    QString m_peer;
    QString m_host;
    quint16 m_port = 0;
    int m_holds = 0;
    bool m_open = false;
    bool m_connectedUndelivered = false;
    bool m_closed = false;
};
