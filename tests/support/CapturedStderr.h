#pragma once

#include <QByteArray>

// Captures what the process writes to standard error while the object lives.
class CapturedStderr
{
public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;

    // Everything written so far.
    QByteArray text() const;

private:
    int m_savedFd = -1;
    int m_captureFd = -1;
};
