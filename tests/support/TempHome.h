#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty home directory for one test: HOME and the XDG folders (the runtime folder
// too) point into it for as long as the object lives, so that Documents, settings, the
// activity log, the store and the socket of a running Orvanta never touch the user's own.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString documents() const { return m_dir.path() + QStringLiteral("/Documents"); }
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_saved;
};
