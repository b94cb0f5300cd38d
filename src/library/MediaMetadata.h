#pragma once

#include <QString>

// What a media file says of itself: the title, artist and album of its container's tags
// (empty where it has none) and its duration in whole seconds (0 where it cannot be told).
struct MediaMetadata
{
    QString title;
    QString artist;
    QString album;
    qint64 seconds = 0;

    // Reads the file's tags and duration. Where the file cannot be read as media, the error
    // says why and the metadata stays empty. Safe to call on any thread.
    static MediaMetadata read(const QString& path, QString& error);
};
