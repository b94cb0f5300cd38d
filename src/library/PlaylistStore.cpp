#include "library/PlaylistStore.h"

#include "diagnostics/SystemLog.h"

#include <QFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace {

// Marks the file as ours ("ORVN"), so that another program's database is never taken for it.
constexpr qint64 orvantaApplicationId = 0x4F52564E;
// The layout of the file that this version reads and writes.
constexpr qint64 storeFormat = 1;

const char* const createTable = "CREATE TABLE Playlist ("
                                " id INTEGER PRIMARY KEY,"
                                " songName TEXT NOT NULL,"
                                " songAlbum TEXT NOT NULL,"
                                " songArtist TEXT NOT NULL,"
                                " songPath TEXT NOT NULL,"
                                " songTime TEXT NOT NULL)";

// What a file holds, judged before anything is written to it.
enum class Contents
{
    Ours,
    Empty,
    Unusable
};

QString sqliteError(sqlite3* database)
{
    return QString::fromUtf8(sqlite3_errmsg(database));
}

bool execute(sqlite3* database, const char* sql, QString& error)
{
    char* message = nullptr;
    if (sqlite3_exec(database, sql, nullptr, nullptr, &message) == SQLITE_OK) {
        return true;
    }
    error = message ? QString::fromUtf8(message) : sqliteError(database);
    sqlite3_free(message);
    return false;
}

bool queryInteger(sqlite3* database, const char* sql, qint64& value, QString& error)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, sql, -1, &statement, nullptr) != SQLITE_OK) {
        error = sqliteError(database);
        return false;
    }
    const int stepped = sqlite3_step(statement);
    if (stepped == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    } else {
        error = sqliteError(database);
    }
    sqlite3_finalize(statement);
    return stepped == SQLITE_ROW;
}

Contents judgeContents(sqlite3* database, const QString& filePath, QString& error)
{
    qint64 applicationId = 0;
    qint64 format = 0;
    qint64 objects = 0;
    QString reason;
    if (!queryInteger(database, "PRAGMA application_id", applicationId, reason) ||
        !queryInteger(database, "PRAGMA user_version", format, reason) ||
        !queryInteger(database, "SELECT count(*) FROM sqlite_master", objects, reason)) {
        error = QStringLiteral("%1 is not an Orvanta playlist store: %2").arg(filePath, reason);
        return Contents::Unusable;
    }
    if (applicationId == orvantaApplicationId) {
        if (format > storeFormat) {
            error = QStringLiteral("%1 was written by a newer version of Orvanta (store format %2; this "
                                   "version reads format %3)")
                        .arg(filePath)
                        .arg(format)
                        .arg(storeFormat);
            return Contents::Unusable;
        }
        return Contents::Ours;
    }
    if (applicationId == 0 && objects == 0) {
        return Contents::Empty;
    }
    error = QStringLiteral("%1 is an SQLite database of another program, not an Orvanta playlist store")
                .arg(filePath);
    return Contents::Unusable;
}

// Gives an empty file the playlist table. Another Orvanta may be doing the same at this
// moment: the contents are judged again once the write lock is held.
bool createStore(sqlite3* database, const QString& filePath, QString& error)
{
    if (!execute(database, "BEGIN IMMEDIATE", error)) {
        return false;
    }
    const Contents contents = judgeContents(database, filePath, error);
    const QByteArray markAsOurs = "PRAGMA application_id = " + QByteArray::number(orvantaApplicationId) +
                                  "; PRAGMA user_version = " + QByteArray::number(storeFormat);
    const bool created =
        contents == Contents::Ours || (contents == Contents::Empty && execute(database, createTable, error) &&
                                       execute(database, markAsOurs.constData(), error));
    QString rollbackError;
    if (!created) {
        execute(database, "ROLLBACK", rollbackError);
        return false;
    }
    if (!execute(database, "COMMIT", error)) {
        execute(database, "ROLLBACK", rollbackError);
        return false;
    }
    return true;
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

bool bindText(sqlite3_stmt* statement, int parameter, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return sqlite3_bind_text(statement, parameter, bytes.isNull() ? "" : bytes.constData(),
                             static_cast<int>(bytes.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

} // namespace

void PlaylistStore::StatementDeleter::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

std::unique_ptr<PlaylistStore> PlaylistStore::openInFolder(const QString& folder, OpeningError& error)
{
    const QString loadingFailed =
        QStringLiteral("There was an error creating or loading the application's saved data.");
    struct stat status
    {};
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0) {
        const int statError = errno;
        QString pendingError;
        if (statError == ENOENT) {
            std::error_code created;
            std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), created);
            if (created) {
                pendingError = QStringLiteral("Could not create the folder %1: %2")
                                   .arg(folder, QString::fromStdString(created.message()));
            }
        } else {
            pendingError =
                QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(statError)));
        }
        if (!pendingError.isEmpty()) {
            error = {loadingFailed, pendingError};
            return nullptr;
        }
    } else if (!S_ISDIR(status.st_mode)) {
        error = {
            QStringLiteral("Expected a folder to store application data, found a file (%1).").arg(folder),
            QString()};
        return nullptr;
    }

    QString openingError;
    auto store = open(folder + QStringLiteral("/Orvanta.sqlite"), openingError);
    if (!store) {
        error = {loadingFailed, openingError};
    }
    return store;
}

std::unique_ptr<PlaylistStore> PlaylistStore::open(const QString& filePath, QString& error)
{
    sqlite3* database = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(filePath).constData(), &database,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (opened != SQLITE_OK) {
        error = QStringLiteral("%1: %2").arg(filePath, database ? sqliteError(database)
                                                                : QString::fromUtf8(sqlite3_errstr(opened)));
        sqlite3_close(database);
        return nullptr;
    }
    std::unique_ptr<PlaylistStore> store(new PlaylistStore(database, filePath));
    sqlite3_busy_timeout(database, 5000);

    // Judge the file before anything is written to it.
    switch (judgeContents(database, filePath, error)) {
    case Contents::Unusable:
        return nullptr;
    case Contents::Empty:
        if (!createStore(database, filePath, error)) {
            error = QStringLiteral("%1: the playlist could not be created: %2").arg(filePath, error);
            return nullptr;
        }
        break;
    case Contents::Ours:
        break;
    }

    // A write-ahead journal makes each change one append to the journal; a process that is
    // killed loses no change that was committed, and the journal is folded back in on close.
    QString journalError;
    if (!execute(database, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", journalError)) {
        systemLog(QStringLiteral("The playlist store %1 keeps its default journal: %2")
                      .arg(filePath, journalError));
    }

    auto prepare = [database](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v3(database, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        return Statement(statement);
    };
    store->m_selectAll =
        prepare("SELECT id, songName, songAlbum, songArtist, songPath, songTime FROM Playlist ORDER BY id");
    store->m_insert = prepare("INSERT INTO Playlist (songName, songAlbum, songArtist, songPath, songTime) "
                              "VALUES (?1, ?2, ?3, ?4, ?5)");
    store->m_delete = prepare("DELETE FROM Playlist WHERE id = ?1");
    if (!store->m_selectAll || !store->m_insert || !store->m_delete) {
        error =
            QStringLiteral("%1 is a damaged Orvanta playlist store: %2").arg(filePath, sqliteError(database));
        return nullptr;
    }
    return store;
}

PlaylistStore::PlaylistStore(sqlite3* database, QString filePath)
    : m_database(database), m_filePath(std::move(filePath))
{
}

PlaylistStore::~PlaylistStore()
{
    m_selectAll.reset();
    m_insert.reset();
    m_delete.reset();
    if (sqlite3_close(m_database) != SQLITE_OK) {
        systemLog(QStringLiteral("Closing the playlist store %1 failed: %2")
                      .arg(m_filePath, sqliteError(m_database)));
    }
}

QString PlaylistStore::errorText() const
{
    return QStringLiteral("%1: %2").arg(m_filePath, sqliteError(m_database));
}

QList<Playlist> PlaylistStore::records(QString& error) const
{
    sqlite3_stmt* statement = m_selectAll.get();
    QList<Playlist> records;
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
        Playlist& record = records.emplace_back();
        record.storeKey = sqlite3_column_int64(statement, 0);
        record.songName = columnText(statement, 1);
        record.songAlbum = columnText(statement, 2);
        record.songArtist = columnText(statement, 3);
        record.songPath = columnText(statement, 4);
        record.songTime = columnText(statement, 5);
    }
    if (stepped != SQLITE_DONE) {
        error = errorText();
    }
    sqlite3_reset(statement);
    return records;
}

qint64 PlaylistStore::add(const Playlist& record, QString& error)
{
    sqlite3_stmt* statement = m_insert.get();
    const bool bound = bindText(statement, 1, record.songName) && bindText(statement, 2, record.songAlbum) &&
                       bindText(statement, 3, record.songArtist) && bindText(statement, 4, record.songPath) &&
                       bindText(statement, 5, record.songTime);
    const bool added = bound && sqlite3_step(statement) == SQLITE_DONE;
    const qint64 key = added ? sqlite3_last_insert_rowid(m_database) : 0;
    if (!added) {
        error = errorText();
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return key;
}

bool PlaylistStore::remove(qint64 storeKey, QString& error)
{
    sqlite3_stmt* statement = m_delete.get();
    const bool removed =
        sqlite3_bind_int64(statement, 1, storeKey) == SQLITE_OK && sqlite3_step(statement) == SQLITE_DONE;
    if (!removed) {
        error = errorText();
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return removed;
}

bool PlaylistStore::save(QString& error)
{
    qint64 busy = 0;
    if (!queryInteger(m_database, "PRAGMA wal_checkpoint(TRUNCATE)", busy, error)) {
        error = QStringLiteral("%1: %2").arg(m_filePath, error);
        return false;
    }
    if (busy != 0) {
        error =
            QStringLiteral("%1 is being read by another program; not all of the playlist could be written "
                           "to it yet")
                .arg(m_filePath);
        return false;
    }
    return true;
}
