// The playlist store: where it opens, the files it refuses to touch, the order of its
// records, and what a writer killed halfway leaves behind.
#include "library/PlaylistStore.h"
#include "ControllerUnderTest.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

extern char** environ;

namespace {

using testing::HasSubstr;

const QString loadingFailed =
    QStringLiteral("There was an error creating or loading the application's saved data.");
const QString initializationFailed = QStringLiteral("Failed to initialize the application's saved data");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The store file and whatever SQLite may have put beside it.
QStringList storeFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("Orvanta.sqlite*")}, QDir::Files | QDir::Hidden,
                                  QDir::Name);
}

void executeSql(const QString& path, const char* sql)
{
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &database), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(database, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(database);
}

QString integrityCheck(const QString& path)
{
    sqlite3* database = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &database);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database, "PRAGMA integrity_check", -1, &statement, nullptr);
    QString result = QStringLiteral("no answer");
    if (sqlite3_step(statement) == SQLITE_ROW) {
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return result;
}

Playlist record(const QString& name, const QString& album = QStringLiteral("Album"))
{
    Playlist item;
    item.songName = name;
    item.songAlbum = album;
    item.songArtist = QStringLiteral("Artist");
    item.songPath = QStringLiteral("/music/%1.mp3").arg(name);
    item.songTime = QStringLiteral("61");
    return item;
}

TEST(PlaylistStore, FirstUseCreatesTheDocumentsFolderWithItsParentsAndAnEmptyStore)
{
    TempHome home;
    QDir().mkpath(home.filePath(QStringLiteral(".config")));
    writeFile(home.filePath(QStringLiteral(".config/user-dirs.dirs")),
              "XDG_DOCUMENTS_DIR=\"$HOME/Papers/Archive/Documents\"\n");
    ControllerUnderTest orvanta;
    orvanta.launch();

    EXPECT_TRUE(orvanta.prompter.errors.isEmpty());
    const QString documents = home.filePath(QStringLiteral("Papers/Archive/Documents"));
    EXPECT_EQ(orvanta.controller.applicationDocumentsDirectory(), documents);
    EXPECT_TRUE(QFileInfo::exists(documents + QStringLiteral("/Orvanta.sqlite")));
    EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty());
    EXPECT_FALSE(orvanta.controls.imgDropView.isHidden());
}

TEST(PlaylistStore, RecordsComeBackInTheOrderTheyWereAddedWithTheirTextsIntact)
{
    TempHome home;
    const QString path = home.filePath(QStringLiteral("store.sqlite"));
    {
        QString error;
        auto store = PlaylistStore::open(path, error);
        ASSERT_TRUE(store) << error.toStdString();
        store->add(record(QStringLiteral("A")), error);
        const qint64 b = store->add(record(QStringLiteral("B")), error);
        store->add(record(QStringLiteral("C")), error);
        ASSERT_TRUE(store->remove(b, error)) << error.toStdString();
        store->add(record(QStringLiteral("D")), error);
        ASSERT_NE(store->add(record(QStringLiteral("Ünïcødé – ☃ \"quoted\"; DROP TABLE Playlist"), QString()),
                             error),
                  0)
            << error.toStdString();
    }

    QString error;
    auto store = PlaylistStore::open(path, error);
    ASSERT_TRUE(store) << error.toStdString();
    const QList<Playlist> records = store->records(error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList names;
    for (const Playlist& item : records) {
        names << item.songName;
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D"),
                                  QStringLiteral("Ünïcødé – ☃ \"quoted\"; DROP TABLE Playlist")}));
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[3].songAlbum, QString());
    EXPECT_EQ(records[3].songPath, QStringLiteral("/music/Ünïcødé – ☃ \"quoted\"; DROP TABLE Playlist.mp3"));
    EXPECT_EQ(records[1].songTime, QStringLiteral("61"));
    for (qsizetype i = 1; i < records.size(); ++i) {
        EXPECT_LT(records[i - 1].storeKey, records[i].storeKey);
    }
}

TEST(PlaylistStore, ARestartShowsTheRowsInTheOrderTheyWereAdded)
{
    TempHome home;
    {
        ControllerUnderTest first;
        first.launch();
        for (const QString& name : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
            ASSERT_TRUE(first.controller.addToPlayList(
                name, QStringLiteral("Album"), QStringLiteral("Artist"),
                QStringLiteral("/music/%1.mp3").arg(name), QStringLiteral("12")));
        }
        first.controller.getSongsList();
        EXPECT_EQ(first.songNames(),
                  (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    }
    ControllerUnderTest second;
    second.launch();
    EXPECT_EQ(second.songNames(),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_FALSE(second.controls.playListTable.isHidden());
    EXPECT_TRUE(second.controls.imgDropView.isHidden());
}

TEST(PlaylistStore, AFileThatIsNotOursIsReportedAndLeftAsItWas)
{
    struct Case
    {
        const char* name;
        std::function<void(const QString& path)> make;
        const char* says;
    };
    const Case cases[] = {
        {"garbage bytes",
         [](const QString& path) {
             QByteArray bytes = "These are the user's own notes, not a database.\n";
             for (int i = 0; i < 4096; ++i) {
                 bytes += static_cast<char>((i * 131) % 251);
             }
             writeFile(path, bytes);
         },
         "file is not a database"},
        {"another program's database",
         [](const QString& path) {
             executeSql(path, "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('keep me');");
         },
         "SQLite database of another program"},
        {"a store of a newer Orvanta",
         [](const QString& path) {
             QString error;
             auto store = PlaylistStore::open(path, error);
             ASSERT_TRUE(store) << error.toStdString();
             store->add(record(QStringLiteral("kept")), error);
             store.reset();
             executeSql(path, "PRAGMA user_version = 7");
         },
         "newer version of Orvanta"},
    };

    TempHome home;
    const QString path = home.documents() + QStringLiteral("/Orvanta.sqlite");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(home.documents()).removeRecursively();
        QDir().mkpath(home.documents());
        c.make(path);
        const QByteArray before = fileBytes(path);
        ASSERT_FALSE(before.isEmpty());
        {
            ControllerUnderTest orvanta;
            orvanta.launch();
            ASSERT_EQ(orvanta.prompter.errors.size(), 1);
            EXPECT_EQ(orvanta.prompter.errors[0][0], initializationFailed);
            EXPECT_EQ(orvanta.prompter.errors[0][1], loadingFailed);
            EXPECT_THAT(orvanta.prompter.errors[0][2].toStdString(), HasSubstr(c.says));
            EXPECT_THAT(orvanta.prompter.errors[0][2].toStdString(), HasSubstr(path.toStdString()));
            EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty());
            EXPECT_FALSE(orvanta.controls.imgDropView.isHidden());

            EXPECT_FALSE(orvanta.controller.addToPlayList(QStringLiteral("A"), QString(), QString(),
                                                          QStringLiteral("/music/A.mp3"),
                                                          QStringLiteral("1")));
            EXPECT_EQ(orvanta.prompter.errors.size(), 2);
            orvanta.controller.saveAction();
            EXPECT_EQ(orvanta.prompter.errors.size(), 3);
        }
        EXPECT_EQ(fileBytes(path), before) << "the file was changed";
        EXPECT_EQ(storeFiles(home.documents()), QStringList{QStringLiteral("Orvanta.sqlite")});
    }
}

TEST(PlaylistStore, DocumentsThatIsAFileIsReportedAtEveryUse)
{
    TempHome home;
    writeFile(home.documents(), "not a folder");
    ControllerUnderTest orvanta;
    orvanta.launch();

    const QStringList expected{
        initializationFailed,
        QStringLiteral("Expected a folder to store application data, found a file (%1).")
            .arg(home.documents()),
        QString()};
    ASSERT_EQ(orvanta.prompter.errors.size(), 1);
    EXPECT_EQ(orvanta.prompter.errors[0], expected);
    EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty());
    EXPECT_FALSE(orvanta.controls.imgDropView.isHidden());
    EXPECT_TRUE(orvanta.controls.playListTable.isHidden());

    orvanta.controller.getSongsList();
    EXPECT_EQ(orvanta.prompter.errors.size(), 2);
    EXPECT_FALSE(orvanta.controller.addToPlayList(QStringLiteral("A"), QString(), QString(),
                                                  QStringLiteral("/music/A.mp3"), QStringLiteral("1")));
    EXPECT_EQ(orvanta.prompter.errors.size(), 3);
    orvanta.controller.openLocalMedia(fileUrlText(home.filePath(QStringLiteral("song.mp3"))));
    EXPECT_EQ(orvanta.prompter.errors.size(), 4) << "one alert for one use";
    EXPECT_FALSE(orvanta.controller.mediaImporter().isImporting());
    ASSERT_EQ(orvanta.prompter.errors.size(), 4);
    EXPECT_EQ(orvanta.prompter.errors[3], expected);
    EXPECT_EQ(fileBytes(home.documents()), "not a folder");
}

// The writer's report of one returned add: its number, padded to this size, so that a
// pipe of one page holds only a few and the writer never runs far ahead of its reader.
constexpr int reportSize = 256;

// Runs the writer until it has reported `killAfter` adds, kills it with SIGKILL there, and
// gives the number of adds it reported before it died.
int runWriterKilledAfter(const QString& storePath, const QString& label, int count, int killAfter)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe2: " << strerror(errno);
        return -1;
    }
    fcntl(pipeEnds[0], F_SETPIPE_SZ, 4096);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const QByteArray store = QFile::encodeName(storePath);
    const QByteArray name = label.toUtf8();
    const QByteArray countText = QByteArray::number(count);
    char* const arguments[] = {const_cast<char*>(STORE_WRITER), const_cast<char*>(store.constData()),
                               const_cast<char*>(name.constData()), const_cast<char*>(countText.constData()),
                               nullptr};
    pid_t writer = 0;
    const int spawned = posix_spawn(&writer, STORE_WRITER, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        ADD_FAILURE() << "posix_spawn " << STORE_WRITER << ": " << strerror(spawned);
        return -1;
    }

    int reported = 0;
    bool killed = false;
    QByteArray pending;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        pending.append(buffer, got);
        while (pending.size() >= reportSize) {
            EXPECT_EQ(pending.left(reportSize).trimmed().toInt(), reported);
            ++reported;
            pending.remove(0, reportSize);
        }
        if (!killed && reported >= killAfter) {
            kill(writer, SIGKILL);
            killed = true;
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer ended on its own";
    return reported;
}

TEST(PlaylistStore, AWriterKilledMidwayLeavesEveryAddThatReturned)
{
    TempHome home;
    const QString path = home.filePath(QStringLiteral("Orvanta.sqlite"));
    constexpr int count = 1000;
    struct Round
    {
        QString label;
        int reported = 0;
    };
    QList<Round> rounds;
    for (const auto& [label, killAfter] :
         {std::pair{"first", 100}, std::pair{"second", 400}, std::pair{"third", 700}}) {
        SCOPED_TRACE(label);
        const int reported = runWriterKilledAfter(path, QString::fromLatin1(label), count, killAfter);
        ASSERT_GE(reported, killAfter);
        ASSERT_LT(reported, count);
        rounds.append({QString::fromLatin1(label), reported});

        QString error;
        auto store = PlaylistStore::open(path, error);
        ASSERT_TRUE(store) << error.toStdString();
        const QList<Playlist> records = store->records(error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        // Each writer's records are its first adds, in order: every one it reported, and at
        // most the one it was killed after committing but before reporting.
        qsizetype at = 0;
        for (const Round& round : rounds) {
            int kept = 0;
            while (at < records.size() &&
                   records[at].songName == QStringLiteral("%1-%2").arg(round.label).arg(kept)) {
                ++kept;
                ++at;
            }
            EXPECT_GE(kept, round.reported) << round.label.toStdString();
            EXPECT_LE(kept, round.reported + 1) << round.label.toStdString();
        }
        EXPECT_EQ(at, records.size()) << "the store holds nothing else";
        store.reset();
        EXPECT_EQ(integrityCheck(path), QStringLiteral("ok"));
    }
}

} // namespace
