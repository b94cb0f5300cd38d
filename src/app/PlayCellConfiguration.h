#pragma once

#include <QRect>
#include <QString>

// What one row of the playlist shows. The controller fills it for a row; the table's
// "playCell" shows it.
struct PlayCellConfiguration
{
    // The frame of the title in the cell, in points from the cell's bottom-left corner:
    // x 20 on the playing row, where the mark stands before it, and x 5 on every other row.
    QRect songNameFrame;
    QString songName;
    QString albumName;
    // The item's duration as a time text, "03:05" or "01:00:00".
    QString durationText;
    // "source : " and the item's path as stored.
    QString sourceText;
    // The row, handed to deleteFromPlaylist by the row's delete button.
    qint64 deleteTag = -1;
    // Whether the row is the one of currentlyPlayingSongID, which carries the mark.
    bool isCurrentPlaying = false;
};
