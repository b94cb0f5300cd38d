#include "app/SingleInstance.h"

#include "diagnostics/SystemLog.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace {

// The message: the byte count of what follows (32 bits, big-endian), then the names as a
// QDataStream of a QStringList. The running Orvanta answers one byte once it has them.
constexpr qint64 headerSize = 4;
constexpr quint32 largestMessage = 64 * 1024 * 1024;
constexpr char takenAnswer = '1';
constexpr QDataStream::Version streamVersion = QDataStream::Qt_6_0;

// How long a later run may take to say what it has to say, and how long it waits for the
// running Orvanta at each step.
constexpr int handOverDeadlineMilliseconds = 10000;
constexpr int stepMilliseconds = 5000;

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnections);
}

QString SingleInstance::socketPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/orvanta.socket");
}

QStringList SingleInstance::namesToOpen(const QStringList& files)
{
    QStringList names;
    for (const QString& file : files) {
        if (file.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
            names << file;
            continue;
        }
        const QUrl url(file);
        if (url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile())) {
            names << url.toLocalFile();
        } else {
            names << QFileInfo(file).absoluteFilePath();
        }
    }
    return names;
}

SingleInstance::HandOver SingleInstance::handOver(const QStringList& names, QString& error)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(stepMilliseconds)) {
        // No socket, or one left behind by an Orvanta that has ended.
        if (socket.error() == QLocalSocket::ServerNotFoundError ||
            socket.error() == QLocalSocket::ConnectionRefusedError) {
            return HandOver::NoneRunning;
        }
        error = QStringLiteral("the running Orvanta cannot be reached at %1: %2")
                    .arg(socketPath(), socket.errorString());
        return HandOver::Failed;
    }

    QByteArray payload;
    {
        QDataStream stream(&payload, QIODevice::WriteOnly);
        stream.setVersion(streamVersion);
        stream << names;
    }
    QByteArray message(headerSize, '\0');
    qToBigEndian(static_cast<quint32>(payload.size()), message.data());
    message += payload;
    socket.write(message);

    QByteArray answer;
    while (answer.isEmpty() && (socket.bytesToWrite() == 0 || socket.waitForBytesWritten(stepMilliseconds)) &&
           socket.waitForReadyRead(stepMilliseconds)) {
        answer = socket.read(1);
    }
    if (answer != QByteArray(1, takenAnswer)) {
        error = QStringLiteral("the running Orvanta did not take the files: %1").arg(socket.errorString());
        return HandOver::Failed;
    }
    return HandOver::Taken;
}

bool SingleInstance::listen()
{
    const QString path = socketPath();
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(path) && m_server.serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(stepMilliseconds)) {
            systemLog(QStringLiteral("Another Orvanta takes the files of later runs at %1").arg(path));
            return false;
        }
        // Left behind by an Orvanta that has ended.
        QLocalServer::removeServer(path);
        m_server.listen(path);
    }
    if (!m_server.isListening()) {
        systemLog(QStringLiteral("Files of later runs cannot be taken at %1: %2")
                      .arg(path, m_server.errorString()));
        return false;
    }
    systemLog(QStringLiteral("Taking the files of later runs at %1").arg(path));
    return true;
}

void SingleInstance::takeConnections()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readNames(*socket); });
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [socket] {
            systemLog(
                QStringLiteral("A later run sent no complete list of files within %1 ms (%2 bytes came)")
                    .arg(handOverDeadlineMilliseconds)
                    .arg(socket->bytesAvailable()));
            socket->abort();
            socket->deleteLater();
        });
        deadline->start(handOverDeadlineMilliseconds);
    }
}

void SingleInstance::readNames(QLocalSocket& socket)
{
    if (socket.bytesAvailable() < headerSize) {
        return;
    }
    const quint32 size = qFromBigEndian<quint32>(socket.peek(headerSize).constData());
    if (size > largestMessage) {
        systemLog(QStringLiteral("A later run announced %1 bytes of file names; at most %2 are taken")
                      .arg(size)
                      .arg(largestMessage));
        socket.abort();
        socket.deleteLater();
        return;
    }
    if (socket.bytesAvailable() < headerSize + size) {
        return;
    }
    socket.read(headerSize);
    const QByteArray payload = socket.read(size);
    QDataStream stream(payload);
    stream.setVersion(streamVersion);
    QStringList names;
    stream >> names;
    if (stream.status() != QDataStream::Ok || !stream.atEnd()) {
        systemLog(QStringLiteral("A later run sent %1 bytes that are no list of file names").arg(size));
        socket.abort();
        socket.deleteLater();
        return;
    }
    socket.write(QByteArray(1, takenAnswer));
    socket.disconnectFromServer();
    emit namesHandedOver(names);
}
