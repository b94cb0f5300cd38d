#pragma once

#include <QString>

// One playlist item, as stored: five texts. songPath is the absolute path of the media file,
// without escapes or "file://"; songTime the duration in whole seconds as decimal text.
struct Playlist
{
    QString songName;
    QString songAlbum;
    QString songArtist;
    QString songPath;
    QString songTime;

    // The store's own key of the record; 0 for a record not stored yet.
    qint64 storeKey = 0;
};
