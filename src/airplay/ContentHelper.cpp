#include "airplay/ContentHelper.h"

#include "diagnostics/ActivityLog.h"

#include <QUrl>

#include <spdlog/spdlog.h>

namespace {

QString logged(const QString& request)
{
    spdlog::info("Message to AppleTV: {}", request.toStdString());
    return request;
}

// The URL path of a file: what follows the home directory when the path lies inside it.
QString urlPath(const QString& escapedPath, const QString& escapedHome)
{
    QString home = escapedHome;
    while (home.endsWith(QLatin1Char('/'))) {
        home.chop(1);
    }
    if (!home.isEmpty() && escapedPath.size() > home.size() + 1 && escapedPath.startsWith(home)
        && escapedPath[home.size()] == QLatin1Char('/')) {
        return escapedPath.mid(home.size());
    }
    return escapedPath;
}

} // namespace

QString ContentHelper::userAgent()
{
    return QStringLiteral("iTunes/12.7 (Macintosh; Intel Mac OS X 10.13.1) AppleWebKit/535.18.5");
}

QString ContentHelper::contentForLocalFile(const QString& escapedPath, const QString& address, quint64 port,
                                           const QString& hostPort, const QString& homeDirectory,
                                           ActivityLog& activityLog)
{
    const QString location = QStringLiteral("Content-Location: http://%1:%2%3\r\nStart-Position: 0\r\n\r\n")
                                 .arg(address)
                                 .arg(port)
                                 .arg(urlPath(escapedPath, escapePath(homeDirectory)));
    activityLog.addToLog(location);
    const QString request = prepareCommands(QStringLiteral("POST /play HTTP/1.1\r\n"), hostPort, location);
    activityLog.addToLog(request);
    return request;
}

QString ContentHelper::contentForPlay()
{
    return prepareCommand(QStringLiteral("POST /rate?value=1.000000 HTTP/1.1\r\n"));
}

QString ContentHelper::contentForPause()
{
    return prepareCommand(QStringLiteral("POST /rate?value=0.000000 HTTP/1.1\r\n"));
}

QString ContentHelper::contentForStop()
{
    return prepareCommand(QStringLiteral("POST /stop HTTP/1.1\r\n"));
}

QString ContentHelper::prepareCommand(const QString& requestLine, const QString& body)
{
    return logged(requestLine + QStringLiteral("User-Agent: ") + userAgent() + QStringLiteral("\r\n")
                  + QStringLiteral("Content-Length: %1\r\n").arg(body.toUtf8().size())
                  + QStringLiteral("Content-Type: text/parameters\r\n\r\n") + body);
}

QString ContentHelper::prepareCommands(const QString& requestLine, const QString& hostPort, const QString& headers)
{
    return logged(requestLine + QStringLiteral("Host:") + hostPort + QStringLiteral("\r\n") + headers);
}

QString ContentHelper::hostPortValue(const QString& host, qint64 port)
{
    return QStringLiteral("%1:%2").arg(host.chopped(host.isEmpty() ? 0 : 1)).arg(port);
}

QString ContentHelper::escapePath(const QString& path)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(path, QByteArrayLiteral("/")));
}
