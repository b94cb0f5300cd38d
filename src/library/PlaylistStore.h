#pragma once

#include "library/Playlist.h"

#include <QList>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The playlist store: one SQLite file holding the playlist's records, returned oldest first.
// Every change is one transaction. A file that is not an Orvanta store (other bytes, or
// another program's SQLite database) is never written to: opening it fails and says why.
class PlaylistStore
{
public:
    // Why the store could not be opened, in the words the user is shown.
    struct OpeningError
    {
        QString failureReason;
        QString underlyingError;
    };

    // Opens "Orvanta.sqlite" in the folder, creating the folder and the store where missing.
    static std::unique_ptr<PlaylistStore> openInFolder(const QString& folder, OpeningError& error);

    // Opens the store file at the path, creating it when there is none.
    static std::unique_ptr<PlaylistStore> open(const QString& filePath, QString& error);

    ~PlaylistStore();
    PlaylistStore(const PlaylistStore&) = delete;
    PlaylistStore& operator=(const PlaylistStore&) = delete;

    const QString& filePath() const { return m_filePath; }

    // Every record, in the order they were added; the error is set when they cannot be read.
    QList<Playlist> records(QString& error) const;

    // Adds the record and returns its key; 0, with the error set, when it was not added.
    qint64 add(const Playlist& record, QString& error);

    // Removes the record with this key; false, with the error set, when that failed.
    bool remove(qint64 storeKey, QString& error);

    // Moves the latest changes from the write-ahead journal into the store file and has the
    // file written through to the disk.
    bool save(QString& error);

private:
    struct StatementDeleter
    {
        void operator()(sqlite3_stmt* statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

    PlaylistStore(sqlite3* database, QString filePath);

    QString errorText() const;

    sqlite3* m_database;
    QString m_filePath;
    Statement m_selectAll;
    Statement m_insert;
    Statement m_delete;
};
