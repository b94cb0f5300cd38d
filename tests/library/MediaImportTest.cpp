// Bringing files into the playlist through the controller: opening files, the open dialog,
// the drop area, bookmarks, progress while many files come in, and adds that fail.
#include "ControllerUnderTest.h"
#include "library/DropImageView.h"
#include "library/MediaImporter.h"
#include "support/CapturedStderr.h"
#include "support/MediaFiles.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSettings>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

QVariantList storedBookmarks()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Orvanta"))
        .value(QStringLiteral("BookmarkAccess"))
        .toList();
}

class MediaImport : public testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(
            makeMediaFiles({{music(QStringLiteral("tagged.mp3")),
                             QStringLiteral("mp3"),
                             1.0,
                             {{QStringLiteral("title"), QStringLiteral("Tagged Song")},
                              {QStringLiteral("artist"), QStringLiteral("The Band")},
                              {QStringLiteral("album"), QStringLiteral("First Album")}},
                             {}},
                            {music(QStringLiteral("untagged.mp3")), QStringLiteral("mp3"), 1.0, {}, {}}},
                           &error))
            << error.toStdString();
        orvanta.launch();
    }

    QString music(const QString& name) const { return home.filePath(QStringLiteral("Music/") + name); }

    // A copy of the untagged file under another name.
    QString copyAs(const QString& name) const
    {
        QDir().mkpath(QFileInfo(music(name)).absolutePath());
        QFile::copy(music(QStringLiteral("untagged.mp3")), music(name));
        return music(name);
    }

    QStringList paths() const
    {
        QStringList paths;
        for (const Playlist& item : orvanta.controller.arrPlayList()) {
            paths << item.songPath;
        }
        return paths;
    }

    TempHome home;
    ControllerUnderTest orvanta;
};

TEST_F(MediaImport, OpenedFilesAreAddedInOrderWithTagsAndBookmarks)
{
    const QString odd = copyAs(QStringLiteral("Ünïcødé folder/a song – 100% live.mp3"));
    CapturedStderr log;
    orvanta.controller.openLocalMedia(fileUrlText(music(QStringLiteral("tagged.mp3"))));
    EXPECT_TRUE(orvanta.controller.applicationOpenFile(odd));
    orvanta.controller.openLocalMedia(fileUrlText(music(QStringLiteral("untagged.mp3"))));
    EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty()) << "the files are read in the background";
    ASSERT_TRUE(orvanta.waitForImport());

    EXPECT_EQ(orvanta.songNames(),
              (QStringList{QStringLiteral("Tagged Song"), QStringLiteral("a song – 100% live.mp3"),
                           QStringLiteral("untagged.mp3")}));
    EXPECT_EQ(paths(),
              (QStringList{music(QStringLiteral("tagged.mp3")), odd, music(QStringLiteral("untagged.mp3"))}));
    const Playlist& tagged = orvanta.controller.arrPlayList().at(0);
    EXPECT_EQ(tagged.songAlbum, QStringLiteral("First Album"));
    EXPECT_EQ(tagged.songArtist, QStringLiteral("The Band"));
    EXPECT_EQ(tagged.songTime, QStringLiteral("1"));
    EXPECT_EQ(orvanta.controller.arrPlayList().at(1).songArtist, QStringLiteral("Unknown"));
    EXPECT_FALSE(orvanta.controls.playListTable.isHidden());
    EXPECT_TRUE(orvanta.controls.imgDropView.isHidden());
    EXPECT_EQ(systemLogMessages(log.text()).count(QStringLiteral("Add")), 3);

    EXPECT_EQ(storedBookmarks(),
              (QVariantList{QUrl::fromLocalFile(music(QStringLiteral("tagged.mp3"))).toEncoded(),
                            QUrl::fromLocalFile(odd).toEncoded(),
                            QUrl::fromLocalFile(music(QStringLiteral("untagged.mp3"))).toEncoded()}));
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty());
}

TEST_F(MediaImport, RefusedFilesAreLoggedAndTheListReloadedUnchanged)
{
    copyAs(QStringLiteral("Song.MP3"));
    QDir().mkpath(music(QStringLiteral("Album")));
    QDir().mkpath(music(QStringLiteral("Live.mp3")));
    const QStringList refused{music(QStringLiteral("Song.MP3")), music(QStringLiteral("Album")),
                              music(QStringLiteral("Live.mp3")), music(QStringLiteral("gone.mp3"))};
    for (const QString& path : refused) {
        SCOPED_TRACE(path.toStdString());
        CapturedStderr log;
        const int reloads = orvanta.controls.tableReloads();
        orvanta.controller.openLocalMedia(fileUrlText(path));
        ASSERT_TRUE(orvanta.waitForImport());
        EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty());
        EXPECT_EQ(orvanta.controls.tableReloads(), reloads + 1);
        const QStringList messages = systemLogMessages(log.text());
        EXPECT_EQ(messages.count(QStringLiteral("Not to Add")), 1);
        EXPECT_EQ(messages.count(QStringLiteral("Add")), 0);
    }
    EXPECT_TRUE(storedBookmarks().isEmpty());
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty());
}

TEST_F(MediaImport, TheSameFileTwiceGivesTwoRowsAndTwoMoreBookmarks)
{
    const QByteArray earlier = QUrl::fromLocalFile(music(QStringLiteral("earlier.mp3"))).toEncoded();
    orvanta.controller.userDefaults().setValue(QStringLiteral("BookmarkAccess"), QVariantList{earlier});
    const QString url = fileUrlText(music(QStringLiteral("tagged.mp3")));
    orvanta.controller.openLocalMedia(url);
    orvanta.controller.openLocalMedia(url);
    ASSERT_TRUE(orvanta.waitForImport());
    orvanta.controller.saveBookmarkData(QUrl(QStringLiteral("http://example.invalid/not-a-file.mp3")));

    EXPECT_EQ(orvanta.songNames(),
              (QStringList{QStringLiteral("Tagged Song"), QStringLiteral("Tagged Song")}));
    const QByteArray bookmark = QUrl::fromLocalFile(music(QStringLiteral("tagged.mp3"))).toEncoded();
    EXPECT_EQ(storedBookmarks(), (QVariantList{earlier, bookmark, bookmark}));
}

TEST_F(MediaImport, TheOpenDialogOffersMediaFilesAndFoldersOneAtATime)
{
    const QString spaced = copyAs(QStringLiteral("with spaces/my song.mp3"));
    orvanta.prompter.openDialogAnswers.push_back(fileUrlText(spaced));
    orvanta.controller.onOpenMediaFile();
    ASSERT_TRUE(orvanta.waitForImport());

    ASSERT_EQ(orvanta.prompter.openDialogs.size(), 1);
    const OpenDialogSettings& settings = orvanta.prompter.openDialogs.first();
    EXPECT_TRUE(settings.canChooseFiles);
    EXPECT_TRUE(settings.canChooseDirectories);
    EXPECT_TRUE(settings.floatsAboveOtherWindows);
    EXPECT_FALSE(settings.allowsMultipleSelection);
    EXPECT_EQ(settings.allowedFileTypes,
              (QStringList{QStringLiteral("mp3"), QStringLiteral("mp4"), QStringLiteral("mkv"),
                           QStringLiteral("avi"), QStringLiteral("mpeg"), QStringLiteral("mov")}));
    EXPECT_EQ(paths(), QStringList{spaced});

    const int reloads = orvanta.controls.tableReloads();
    orvanta.controller.onOpenMediaFile();
    EXPECT_EQ(orvanta.prompter.openDialogs.size(), 2);
    EXPECT_FALSE(orvanta.controller.mediaImporter().isImporting());
    EXPECT_EQ(orvanta.controls.tableReloads(), reloads) << "a cancelled dialog does nothing";
    EXPECT_EQ(paths(), QStringList{spaced});
}

TEST_F(MediaImport, AnHttpAddressInAnyCaseGoesToTheEntryPanelsRouteNotTheImport)
{
    CapturedStderr log;
    const QString address = QStringLiteral("HTTP://Example.invalid/stream.mp3");
    EXPECT_TRUE(orvanta.controller.applicationOpenFile(address));
    EXPECT_FALSE(orvanta.controller.mediaImporter().isImporting());
    EXPECT_EQ(orvanta.controller.passWord(), address);
    EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty());
    EXPECT_EQ(systemLogMessages(log.text()).count(QStringLiteral("Not to Add")), 0);
}

TEST_F(MediaImport, TheDropAreaOffersLinkOrCopyForFilesOnly)
{
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(music(QStringLiteral("tagged.mp3")))});
    QMimeData text;
    text.setText(QStringLiteral("just words"));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("http://example.invalid/a.mp3"))});
    const struct
    {
        const QMimeData* data;
        Qt::DropActions allowed;
        Qt::DropAction answer;
    } cases[] = {
        {&files, Qt::CopyAction | Qt::LinkAction | Qt::MoveAction, Qt::LinkAction},
        {&files, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction},
        {&files, Qt::MoveAction, Qt::IgnoreAction},
        {&text, Qt::CopyAction | Qt::LinkAction, Qt::IgnoreAction},
        {&web, Qt::CopyAction | Qt::LinkAction, Qt::IgnoreAction},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DropImageView::draggingEntered(*c.data, c.allowed), c.answer)
            << c.data->formats().join(QLatin1Char(',')).toStdString() << " allowed " << c.allowed.toInt();
    }
}

TEST_F(MediaImport, ADropAddsItsMediaFilesInOrderReloadsOnceAndAnswersFalse)
{
    const QString second = copyAs(QStringLiteral("b second.mp3"));
    QFile text(music(QStringLiteral("readme.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("words");
    text.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(second), QUrl::fromLocalFile(music(QStringLiteral("readme.txt"))),
                  QUrl::fromLocalFile(music(QStringLiteral("tagged.mp3")))});

    DropImageView dropView([this](const QStringList& names) { orvanta.controller.importMediaFiles(names); });
    const int reloads = orvanta.controls.tableReloads();
    EXPECT_FALSE(dropView.performDragOperation(data));
    ASSERT_TRUE(orvanta.waitForImport());
    EXPECT_EQ(paths(), (QStringList{second, music(QStringLiteral("tagged.mp3"))}));
    EXPECT_EQ(orvanta.controls.tableReloads(), reloads + 1);
}

TEST_F(MediaImport, ManyFilesComeInBehindTheWindowInTheirOrderWithProgress)
{
    QStringList given;
    QStringList expected;
    for (int i = 0; i < 60; ++i) {
        const QString path = copyAs(QStringLiteral("many/%1.mp3").arg(59 - i, 2, 10, QLatin1Char('0')));
        given << path;
        expected << path;
        if (i % 10 == 3) {
            given << music(QStringLiteral("many/missing %1.mp3").arg(i));
        }
    }
    MediaImporter& importer = orvanta.controller.mediaImporter();
    QList<int> started;
    QList<std::pair<int, int>> progress;
    int finished = 0;
    QObject::connect(&importer, &MediaImporter::started, [&](int total) { started << total; });
    QObject::connect(&importer, &MediaImporter::progressed, [&](int done, int total) {
        progress.append({done, total});
    });
    QObject::connect(&importer, &MediaImporter::finished, [&] { ++finished; });

    const qsizetype half = given.size() / 2;
    orvanta.controller.importMediaFiles(given.mid(0, half));
    orvanta.controller.importMediaFiles(given.mid(half));
    EXPECT_TRUE(importer.isImporting());
    ASSERT_TRUE(orvanta.waitForImport());

    EXPECT_EQ(paths(), expected);
    EXPECT_EQ(started, QList<int>{static_cast<int>(half)});
    ASSERT_FALSE(progress.isEmpty());
    const int total = static_cast<int>(given.size());
    EXPECT_EQ(progress.last(), std::pair(total, total));
    for (qsizetype i = 1; i < progress.size(); ++i) {
        EXPECT_LE(progress[i - 1].first, progress[i].first);
        EXPECT_LE(progress[i].first, progress[i].second);
    }
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty());
}

TEST_F(MediaImport, FilesThatCannotBeStoredAreToldOnceAfterTheImport)
{
    // Another program makes the store refuse every new record.
    sqlite3* database = nullptr;
    ASSERT_EQ(
        sqlite3_open(QFile::encodeName(home.documents() + QStringLiteral("/Orvanta.sqlite")).constData(),
                     &database),
        SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(
            database,
            "CREATE TRIGGER refuse BEFORE INSERT ON Playlist BEGIN SELECT RAISE(ABORT, 'disk is full'); END",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(database);

    CapturedStderr log;
    orvanta.controller.importMediaFiles(
        {music(QStringLiteral("tagged.mp3")), music(QStringLiteral("untagged.mp3"))});
    ASSERT_TRUE(orvanta.waitForImport());
    EXPECT_TRUE(orvanta.controller.arrPlayList().isEmpty());
    ASSERT_EQ(orvanta.prompter.alerts.size(), 1);
    EXPECT_TRUE(
        orvanta.prompter.alerts[0].startsWith(QStringLiteral("2 files could not be added to the playlist")));
    EXPECT_TRUE(orvanta.prompter.alerts[0].contains(QStringLiteral("disk is full")))
        << orvanta.prompter.alerts[0].toStdString();
    const QStringList messages = systemLogMessages(log.text());
    EXPECT_EQ(messages.filter(QStringLiteral("Save Failed! ")).size(), 2);
    EXPECT_EQ(messages.count(QStringLiteral("Add")), 0);
    EXPECT_FALSE(orvanta.controller.addToPlayList(QStringLiteral("A"), QString(), QString(),
                                                  QStringLiteral("/a.mp3"), QStringLiteral("1")));
}

} // namespace
