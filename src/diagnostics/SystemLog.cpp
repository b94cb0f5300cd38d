#include "diagnostics/SystemLog.h"

#include <QCoreApplication>
#include <QDateTime>

#include <unistd.h>

void systemLog(const QString& line)
{
    const QByteArray text = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + " orvanta["
                            + QByteArray::number(QCoreApplication::applicationPid()) + "] " + line.toUtf8()
                            + '\n';
    // One write call, so that lines from several threads do not interleave.
    const char* data = text.constData();
    qsizetype left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, static_cast<size_t>(left));
        if (written <= 0) {
            return;
        }
        data += written;
        left -= written;
    }
}
