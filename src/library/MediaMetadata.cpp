#include "library/MediaMetadata.h"

#include <QFile>

extern "C"
{
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <memory>

namespace {

// The demuxers for what hides behind our six file name extensions. Nothing else is probed,
// so that a file that merely carries such a name (a playlist, a script for another demuxer)
// cannot make FFmpeg open further files.
const char* const formatWhitelist = "mp3,aac,mov,matroska,avi,mpeg,mpegts,mpegvideo";

struct FormatContextCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

QString ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// FFmpeg's own messages would go to standard error unasked; a failure reaches the caller as
// an error instead.
void silenceFfmpegLog()
{
    static const bool silenced = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)silenced;
}

} // namespace

MediaMetadata MediaMetadata::read(const QString& path, QString& error)
{
    silenceFfmpegLog();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", formatWhitelist, 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* opened = nullptr;
    const int openResult =
        avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, &options);
    av_dict_free(&options);
    if (openResult < 0) {
        error = ffmpegError(openResult);
        return {};
    }
    const std::unique_ptr<AVFormatContext, FormatContextCloser> context(opened);

    // The container tags, in their order; a later tag of the same name wins. Keys are
    // compared in any case ("TITLE" in Matroska, "title" in MP4).
    MediaMetadata metadata;
    const AVDictionaryEntry* tag = nullptr;
    while ((tag = av_dict_get(context->metadata, "", tag, AV_DICT_IGNORE_SUFFIX))) {
        const QString key = QString::fromUtf8(tag->key);
        QString* field = nullptr;
        if (key.compare(QLatin1String("title"), Qt::CaseInsensitive) == 0) {
            field = &metadata.title;
        } else if (key.compare(QLatin1String("artist"), Qt::CaseInsensitive) == 0) {
            field = &metadata.artist;
        } else if (key.compare(QLatin1String("album"), Qt::CaseInsensitive) == 0) {
            field = &metadata.album;
        }
        if (field) {
            *field = QString::fromUtf8(tag->value);
        }
    }

    if (context->duration == AV_NOPTS_VALUE) {
        const int infoResult = avformat_find_stream_info(context.get(), nullptr);
        if (infoResult < 0) {
            error = ffmpegError(infoResult);
        }
    }
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0) {
        metadata.seconds = context->duration / AV_TIME_BASE;
    }
    return metadata;
}
