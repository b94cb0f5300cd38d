#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A small real media file for tests, made by ffmpeg from a sine tone (and, for the video
// containers, a test picture).
struct MediaFileSpec
{
    QString path;
    // The ffmpeg muxer: "mp3" (tone only), or "mp4", "matroska", "avi", "mpeg", "mpegts", "mov"
    // (test picture and tone).
    QString format = QStringLiteral("mp3");
    double seconds = 1.0;
    // Container tags, written as given (key, value).
    QList<QPair<QString, QString>> tags;
    // Further output options, e.g. {"-movflags", "use_metadata_tags"} to keep the case of
    // MP4 tag names.
    QStringList options;
};

// Makes all the files in one run of ffmpeg; the error says what went wrong.
bool makeMediaFiles(const QList<MediaFileSpec>& specs, QString* error = nullptr);
