#pragma once

#include <QString>

class ActivityLog;

// The text templates of the playback commands. Every operation returns a new, complete
// request text; nothing is kept between calls.
class ContentHelper
{
public:
    // The play request: the Apple TV is to fetch the file from the local media server at
    // "http://" address ":" port and the file's URL path, and play it from the start.
    // `escapedPath` is the file's path percent-escaped (escapePath); the URL path is what
    // follows the escaped home directory when the path lies inside it, else the whole path.
    // The location block and the whole request go to the activity log.
    static QString contentForLocalFile(const QString& escapedPath, const QString& address, quint64 port,
                                       const QString& hostPort, const QString& homeDirectory,
                                       ActivityLog& activityLog);

    // Resume, pause and stop.
    static QString contentForPlay();
    static QString contentForPause();
    static QString contentForStop();

    // A request line (ending with CR LF) followed by the fixed block of User-Agent,
    // Content-Length and Content-Type, the empty line and the body.
    static QString prepareCommand(const QString& requestLine, const QString& body = QString());

    // A request line (ending with CR LF), the Host line, then the given header text (which
    // ends with the empty line).
    static QString prepareCommands(const QString& requestLine, const QString& hostPort, const QString& headers);

    // The value of the Host line: the resolved host name less its last character (the
    // final dot of a multicast DNS name), ":", the port.
    static QString hostPortValue(const QString& host, qint64 port);

    // The path with every byte of its UTF-8 form percent-escaped except letters, digits,
    // "-", ".", "_", "~" and "/".
    static QString escapePath(const QString& path);

    // The User-Agent of the playback commands, the progress request and the seek.
    static QString userAgent();
};
