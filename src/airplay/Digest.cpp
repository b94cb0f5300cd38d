#include "airplay/Digest.h"

#include "crypto/md5.h"

QString Digest::generateMD5(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return QString::fromStdString(md5_hex(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
}

QString Digest::response(const QString& nonce, const QString& password)
{
    const QString ha1 = generateMD5(QStringLiteral("AirPlay:AirPlay:") + password);
    const QString ha2 = generateMD5(QStringLiteral("POST:/stop"));
    return generateMD5(ha1 + QLatin1Char(':') + nonce + QLatin1Char(':') + ha2);
}

QString Digest::authorizedStopRequest(const QString& hostPort, const QString& nonce, const QString& password)
{
    return QStringLiteral("POST /stop HTTP/1.1 \r\n"
                          "Host: %1\r\n"
                          "User-Agent: iTunes/12.6.1 (Macintosh; Intel Mac OS X 12.6) AppleWebKit/534.20.8\r\n"
                          "Content-Length: 0\r\n"
                          "Authorization: Digest username=\"AirPlay\", realm=\"AirPlay\", nonce=\"%2\", "
                          "uri=\"/stop\", algorithm=\"MD5\", response=\"%3\"\r\n"
                          "Content-Type: application/x-apple-binary-plist \r\n"
                          "\r\n")
        .arg(hostPort, nonce, response(nonce, password));
}
