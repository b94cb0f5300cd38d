#pragma once

#include "library/Playlist.h"

#include <QString>

// One file offered to the playlist: the item it becomes, or why it is not taken.
struct MediaFile
{
    QString path;
    // The item to add, when the file is taken.
    Playlist item;
    // Why the file is not taken; empty when it is.
    QString refusal;

    bool isAccepted() const { return refusal.isEmpty(); }

    // Whether the name (the last component of a path) holds one of ".mp3", ".mp4", ".mkv",
    // ".avi", ".mpeg" or ".mov", in exactly that case, anywhere in it.
    static bool hasAcceptedName(const QString& name);

    // Tests the name, then that the path names a file that can be read, then reads its tags
    // and duration: the title defaults to the file name, artist and album to "Unknown".
    // Safe to call on any thread.
    static MediaFile read(const QString& path);
};
