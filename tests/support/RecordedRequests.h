#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A request as the simulated Apple TV recorded it (atv-sim --record FILE).
struct RecordedRequest
{
    QString target;
    QByteArray bytes;
};

// Every request of the record, in the order received; none when the file is not there.
QList<RecordedRequest> readRecordedRequests(const QString& path);
