#include "diagnostics/RequestDump.h"

#include "diagnostics/SystemLog.h"

void printHTTPMessage(const QString& method, const QString& url,
                      const QList<QPair<QByteArray, QByteArray>>& headers)
{
    QString dump = QStringLiteral("\n\nCLIENT -> SERVER:\n%1 %2\n").arg(method, url);
    for (const auto& [name, value] : headers) {
        dump += QStringLiteral("%1: %2\n").arg(QString::fromUtf8(name), QString::fromUtf8(value));
    }
    systemLog(dump + QStringLiteral("\n\n"));
}
