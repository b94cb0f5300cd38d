// Reading files for the playlist: the name rule, the file rule, and the tags and duration of
// real files made by ffmpeg.
#include "library/MediaFile.h"
#include "library/MediaMetadata.h"
#include "support/MediaFiles.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(MediaFile, NamesAreTakenByTheSixTextsAnywhereInExactlyThatCase)
{
    const std::pair<const char*, bool> names[] = {
        {"song.mp3", true},      {"clip.mp4", true},    {"film.mkv", true},
        {"old.avi", true},       {"tape.mpeg", true},   {"home.mov", true},
        {"notes.mp3.txt", true}, {".mov", true},        {"Song.MP3", false},
        {"clip.Mp4", false},     {"tape.mpg", false},   {"voice.m4a", false},
        {"mp3", false},          {"readme.txt", false}, {"", false},
    };
    for (const auto& [name, taken] : names) {
        EXPECT_EQ(MediaFile::hasAcceptedName(QString::fromUtf8(name)), taken) << name;
    }
}

TEST(MediaFile, TagsDurationAndDefaultsComeFromTheFileItself)
{
    TempHome home;
    const QString music = home.filePath(QStringLiteral("Music"));
    const QString oddName = QStringLiteral("My Song – Ünïcødé (live) #1 100%.mkv");
    QString error;
    ASSERT_TRUE(makeMediaFiles(
        {
            {music + QStringLiteral("/tagged.mp3"),
             QStringLiteral("mp3"),
             2.5,
             {{QStringLiteral("title"), QStringLiteral("Tagged Song")},
              {QStringLiteral("artist"), QStringLiteral("The Band")},
              {QStringLiteral("album"), QStringLiteral("First Album")}},
             {}},
            {music + QStringLiteral("/untagged.mp3"), QStringLiteral("mp3"), 1.0, {}, {}},
            {music + QStringLiteral("/clip.mp4"),
             QStringLiteral("mp4"),
             1.0,
             {{QStringLiteral("TITLE"), QStringLiteral("Clip Title")},
              {QStringLiteral("Artist"), QStringLiteral("Clip Artist")},
              {QStringLiteral("ALBUM"), QStringLiteral("Clip Album")}},
             {QStringLiteral("-movflags"), QStringLiteral("use_metadata_tags")}},
            {music + QLatin1Char('/') + oddName,
             QStringLiteral("matroska"),
             1.0,
             {{QStringLiteral("ARTIST"), QStringLiteral("Sånger")}},
             {}},
            {music + QStringLiteral("/Song.MP3"), QStringLiteral("mp3"), 1.0, {}, {}},
        },
        &error))
        << error.toStdString();
    {
        QFile notes(music + QStringLiteral("/notes.mp3.txt"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("Buy milk.\n");
    }
    QDir().mkpath(music + QStringLiteral("/Live.mp3"));

    struct Expected
    {
        QString name;
        QString title;
        QString album;
        QString artist;
        QString seconds;
    };
    const Expected taken[] = {
        // 2.56 s of audio: the seconds are cut, not rounded.
        {QStringLiteral("tagged.mp3"), QStringLiteral("Tagged Song"), QStringLiteral("First Album"),
         QStringLiteral("The Band"), QStringLiteral("2")},
        {QStringLiteral("untagged.mp3"), QStringLiteral("untagged.mp3"), QStringLiteral("Unknown"),
         QStringLiteral("Unknown"), QStringLiteral("1")},
        {QStringLiteral("clip.mp4"), QStringLiteral("Clip Title"), QStringLiteral("Clip Album"),
         QStringLiteral("Clip Artist"), QStringLiteral("1")},
        {oddName, oddName, QStringLiteral("Unknown"), QStringLiteral("Sånger"), QStringLiteral("1")},
        // Not media at all, but its name holds ".mp3": taken, with nothing known of it.
        {QStringLiteral("notes.mp3.txt"), QStringLiteral("notes.mp3.txt"), QStringLiteral("Unknown"),
         QStringLiteral("Unknown"), QStringLiteral("0")},
    };
    for (const Expected& expected : taken) {
        SCOPED_TRACE(expected.name.toStdString());
        const QString path = music + QLatin1Char('/') + expected.name;
        const MediaFile file = MediaFile::read(path);
        ASSERT_TRUE(file.isAccepted()) << file.refusal.toStdString();
        EXPECT_EQ(file.item.songName, expected.title);
        EXPECT_EQ(file.item.songAlbum, expected.album);
        EXPECT_EQ(file.item.songArtist, expected.artist);
        EXPECT_EQ(file.item.songPath, path);
        EXPECT_EQ(file.item.songTime, expected.seconds);
    }

    const std::pair<QString, const char*> refused[] = {
        {music + QStringLiteral("/Song.MP3"), "its name holds none of"},
        {music + QStringLiteral("/Live.mp3"), "folder"},
        {music + QStringLiteral("/gone.mp3"), "No such file"},
        {QStringLiteral("Music/tagged.mp3"), "not an absolute path"},
    };
    for (const auto& [path, why] : refused) {
        SCOPED_TRACE(path.toStdString());
        const MediaFile file = MediaFile::read(path);
        EXPECT_FALSE(file.isAccepted());
        EXPECT_TRUE(file.refusal.contains(QString::fromUtf8(why))) << file.refusal.toStdString();
    }
}

TEST(MediaFile, AFileThatOnlyPosesAsAnotherFormatIsNotFollowed)
{
    // An HLS playlist named like an MP3: read as HLS, it would have FFmpeg open the files it
    // lists (and report the segment's second).
    TempHome home;
    const QString segment = home.filePath(QStringLiteral("secret.ts"));
    ASSERT_TRUE(makeMediaFiles({{segment, QStringLiteral("mpegts"), 1.0, {}, {}}}));
    const QString playlist = home.filePath(QStringLiteral("list.mp3"));
    QFile file(playlist);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1.0,\n" + QFile::encodeName(segment) +
               "\n#EXT-X-ENDLIST\n");
    file.close();

    QString error;
    const MediaMetadata metadata = MediaMetadata::read(playlist, error);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(metadata.seconds, 0);
}

} // namespace
