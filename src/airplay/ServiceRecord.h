#pragma once

#include <QString>

// An Apple TV's AirPlay service as discovery reports it. Before resolution only the name is
// known; resolution adds the host name (a multicast DNS name ending with a dot), the port
// and the address to connect to.
struct ServiceRecord
{
    QString name;
    QString hostName;
    quint16 port = 0;
    QString address;

    // The address to open the control connection to: the resolved address, else the host name.
    QString connectTarget() const { return address.isEmpty() ? hostName : address; }

    QString description() const
    {
        return QStringLiteral("%1 (%2:%3)").arg(name, hostName.isEmpty() ? address : hostName).arg(port);
    }

    // Two records stand for the same service when they carry the same name.
    friend bool operator==(const ServiceRecord& a, const ServiceRecord& b) { return a.name == b.name; }
};
