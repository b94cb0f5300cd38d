#include "support/CapturedStderr.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

CapturedStderr::CapturedStderr()
{
    char name[] = "/tmp/orvanta-stderr-XXXXXX";
    m_captureFd = mkstemp(name);
    unlink(name);
    fflush(stderr);
    m_savedFd = dup(STDERR_FILENO);
    dup2(m_captureFd, STDERR_FILENO);
}

CapturedStderr::~CapturedStderr()
{
    fflush(stderr);
    dup2(m_savedFd, STDERR_FILENO);
    close(m_savedFd);
    close(m_captureFd);
}

QByteArray CapturedStderr::text() const
{
    fflush(stderr);
    QByteArray text;
    char buffer[4096];
    for (off_t at = 0;; ) {
        const ssize_t read = pread(m_captureFd, buffer, sizeof buffer, at);
        if (read <= 0) {
            break;
        }
        text.append(buffer, read);
        at += read;
    }
    return text;
}
