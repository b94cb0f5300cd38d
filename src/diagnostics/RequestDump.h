#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Writes a readable dump of a request about to be sent to the system log: the heading
// "CLIENT -> SERVER:", the method and URL, then one "name: value" line per header field.
// The body is not dumped.
void printHTTPMessage(const QString& method, const QString& url,
                      const QList<QPair<QByteArray, QByteArray>>& headers);
