// Adds numbered records to a playlist store, each add one transaction, and reports every
// add that has returned on standard output: its number padded to 256 bytes, one report a
// write, so that a small pipe keeps the writer close behind its reader.
//   playlist_store_writer STORE LABEL COUNT
#include "library/PlaylistStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        fprintf(stderr, "usage: playlist_store_writer STORE LABEL COUNT\n");
        return 2;
    }
    QString error;
    auto store = PlaylistStore::open(QString::fromLocal8Bit(argv[1]), error);
    if (!store) {
        fprintf(stderr, "playlist_store_writer: %s\n", qPrintable(error));
        return 1;
    }
    const QString label = QString::fromLocal8Bit(argv[2]);
    const int count = atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        Playlist record;
        record.songName = QStringLiteral("%1-%2").arg(label).arg(i);
        record.songAlbum = QStringLiteral("Album %1").arg(label);
        record.songArtist = QStringLiteral("Artist");
        record.songPath = QStringLiteral("/home/someone/Music/%1/track %2.mp3").arg(label).arg(i);
        record.songTime = QString::number(180 + i);
        if (store->add(record, error) == 0) {
            fprintf(stderr, "playlist_store_writer: %s\n", qPrintable(error));
            return 1;
        }
        char report[256];
        memset(report, ' ', sizeof report);
        const int length = snprintf(report, sizeof report, "%d", i);
        report[length] = ' ';
        report[sizeof report - 1] = '\n';
        if (write(STDOUT_FILENO, report, sizeof report) != static_cast<ssize_t>(sizeof report)) {
            return 1;
        }
    }
    return 0;
}
