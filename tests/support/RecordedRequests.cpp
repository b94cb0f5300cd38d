#include "support/RecordedRequests.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QList<RecordedRequest> readRecordedRequests(const QString& path)
{
    QFile file(path);
    QList<RecordedRequest> requests;
    if (!file.open(QIODevice::ReadOnly)) {
        return requests;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        requests.append({record[QLatin1String("target")].toString(),
                         QByteArray::fromBase64(record[QLatin1String("bytes")].toString().toLatin1())});
    }
    return requests;
}
