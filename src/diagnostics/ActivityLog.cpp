#include "diagnostics/ActivityLog.h"

#include "diagnostics/SystemLog.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Opens the log for appending; a file that does not exist yet is created holding "Hello".
int openForAppending(const QByteArray& path)
{
    for (;;) {
        const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT) {
            return fd;
        }
        const int created = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (created >= 0) {
            if (!writeAll(created, QByteArrayLiteral("Hello"))) {
                ::close(created);
                return -1;
            }
            return created;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
}

} // namespace

ActivityLog::ActivityLog(QString filePath)
    : m_filePath(std::move(filePath))
{
}

void ActivityLog::addToLog(const QString& text)
{
    const QByteArray entry = "\n\n " + (text.isNull() ? QByteArrayLiteral("(null)") : text.toUtf8());
    const QByteArray path = QFile::encodeName(m_filePath);

    std::lock_guard lock(m_writing);
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    const int fd = openForAppending(path);
    if (fd < 0) {
        systemLog(QStringLiteral("Activity log %1 cannot be opened: %2").arg(m_filePath, strerror(errno)));
        return;
    }
    if (!writeAll(fd, entry)) {
        systemLog(QStringLiteral("Activity log %1 cannot be written: %2").arg(m_filePath, strerror(errno)));
    }
    ::close(fd);
}
