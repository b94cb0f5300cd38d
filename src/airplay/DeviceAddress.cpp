#include "airplay/DeviceAddress.h"

#include <QHostAddress>

#include <algorithm>

namespace {

const QString expectedForm =
    QStringLiteral("Expected host:port, for example 192.168.1.20:7000 or [fe80::1]:7000.");

DeviceAddress refused(const QString& reason)
{
    DeviceAddress address;
    address.error = reason + QLatin1Char(' ') + expectedForm;
    return address;
}

bool isHostNameCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
           c == QLatin1Char('.') || c == QLatin1Char('_');
}

bool isIPv6(const QString& host)
{
    QHostAddress address;
    return address.setAddress(host) && address.protocol() == QAbstractSocket::IPv6Protocol;
}

} // namespace

DeviceAddress DeviceAddress::parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QString quoted = QStringLiteral("\"%1\"").arg(trimmed);
    if (trimmed.isEmpty()) {
        return refused(QStringLiteral("No address was given."));
    }
    for (const QChar c : trimmed) {
        if (c.isSpace()) {
            return refused(QStringLiteral("%1 contains a space.").arg(quoted));
        }
    }

    QString host;
    QString portText;
    bool bracketed = false;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0) {
            return refused(QStringLiteral("%1 opens a bracket but does not close it.").arg(quoted));
        }
        host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.startsWith(QLatin1Char(':'))) {
            return refused(QStringLiteral("%1 has no port after the brackets.").arg(quoted));
        }
        portText = rest.mid(1);
        bracketed = true;
    } else {
        const qsizetype colon = trimmed.lastIndexOf(QLatin1Char(':'));
        if (colon < 0) {
            return refused(QStringLiteral("%1 has no port.").arg(quoted));
        }
        host = trimmed.left(colon);
        portText = trimmed.mid(colon + 1);
        if (host.contains(QLatin1Char(':'))) {
            return refused(
                QStringLiteral("%1 looks like an IPv6 address: put the address in brackets.").arg(quoted));
        }
    }

    if (host.isEmpty()) {
        return refused(QStringLiteral("%1 has no host before the port.").arg(quoted));
    }
    if (bracketed ? !isIPv6(host) : !std::all_of(host.begin(), host.end(), isHostNameCharacter)) {
        return refused(bracketed
                           ? QStringLiteral("In %1 the part in brackets is not an IPv6 address.").arg(quoted)
                           : QStringLiteral("In %1 the host is not a host name or an address.").arg(quoted));
    }
    if (portText.isEmpty()) {
        return refused(QStringLiteral("%1 has no port after the colon.").arg(quoted));
    }
    if (!std::all_of(portText.begin(), portText.end(),
                     [](QChar c) { return c.isDigit() && c.unicode() < 128; })) {
        return refused(QStringLiteral("The port in %1 is not a number.").arg(quoted));
    }
    bool valid = false;
    const uint port = portText.toUInt(&valid);
    if (!valid || port < 1 || port > 65535) {
        return refused(
            QStringLiteral("The port in %1 is out of range: it must be from 1 to 65535.").arg(quoted));
    }

    DeviceAddress address;
    address.host = host;
    address.port = static_cast<quint16>(port);
    return address;
}

ServiceRecord DeviceAddress::serviceRecord() const
{
    const bool bracketed = host.contains(QLatin1Char(':'));
    const QString hostPart = bracketed ? QStringLiteral("[%1]").arg(host) : host;
    ServiceRecord record;
    record.name = QStringLiteral("%1:%2").arg(hostPart).arg(port);
    record.hostName = hostPart.endsWith(QLatin1Char('.')) ? hostPart : hostPart + QLatin1Char('.');
    record.port = port;
    record.address = host;
    return record;
}
