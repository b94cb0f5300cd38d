#pragma once

#include <QString>

#include <mutex>

// The plain-text trail of events, requests and answers in the Documents directory
// ("textfile.txt"). A new file starts with "Hello"; every entry appends "\n\n " and the
// entry's text, UTF-8 encoded, in one write. Entries from several threads never interleave
// or get lost; a failure to write is logged and otherwise ignored.
class ActivityLog
{
public:
    explicit ActivityLog(QString filePath);

    // A null text is written as "(null)".
    void addToLog(const QString& text);

    const QString& filePath() const { return m_filePath; }

private:
    QString m_filePath;
    std::mutex m_writing;
};
