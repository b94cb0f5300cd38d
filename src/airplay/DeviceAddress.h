#pragma once

#include "airplay/ServiceRecord.h"

#include <QString>

// An Apple TV given by its address as "host:port" (IPv6 in brackets: "[fe80::1]:7000"), for
// networks where discovery does not reach it.
struct DeviceAddress
{
    // A host name or an address; an IPv6 address without its brackets.
    QString host;
    quint16 port = 0;
    // Why the text is no address, and the form that is expected; empty when it is one.
    QString error;

    static DeviceAddress parse(const QString& text);

    // The device as a service record: named "host:port", with the host name a resolution
    // would give (a final dot; IPv6 in brackets, as a Host header needs it) and the host as
    // the address to connect to.
    ServiceRecord serviceRecord() const;
};
