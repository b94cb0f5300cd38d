#include "support/MediaFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

namespace {

bool isVideo(const QString& format)
{
    return format != QLatin1String("mp3");
}

} // namespace

bool makeMediaFiles(const QList<MediaFileSpec>& specs, QString* error)
{
    double longest = 0;
    for (const MediaFileSpec& spec : specs) {
        longest = std::max(longest, spec.seconds);
        QDir().mkpath(QFileInfo(spec.path).absolutePath());
    }
    const QString seconds = QString::number(longest, 'f', 3);
    QStringList arguments{QStringLiteral("-nostdin"),
                          QStringLiteral("-v"),
                          QStringLiteral("error"),
                          QStringLiteral("-y"),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("sine=frequency=440:sample_rate=22050:duration=%1").arg(seconds),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("testsrc=size=64x48:rate=5:duration=%1").arg(seconds)};
    for (const MediaFileSpec& spec : specs) {
        if (isVideo(spec.format)) {
            arguments << QStringLiteral("-map") << QStringLiteral("1:v") << QStringLiteral("-map")
                      << QStringLiteral("0:a") << QStringLiteral("-c:v") << QStringLiteral("mpeg4")
                      << QStringLiteral("-c:a") << QStringLiteral("mp2");
        } else {
            arguments << QStringLiteral("-map") << QStringLiteral("0:a") << QStringLiteral("-c:a")
                      << QStringLiteral("libmp3lame");
        }
        arguments << QStringLiteral("-t") << QString::number(spec.seconds, 'f', 3);
        for (const auto& [key, value] : spec.tags) {
            arguments << QStringLiteral("-metadata") << QStringLiteral("%1=%2").arg(key, value);
        }
        arguments << spec.options << QStringLiteral("-f") << spec.format << spec.path;
    }

    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    const bool finished = ffmpeg.waitForFinished(60000);
    if (finished && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0) {
        return true;
    }
    if (error) {
        *error = QStringLiteral("ffmpeg %1 failed: %2 %3")
                     .arg(arguments.join(QLatin1Char(' ')), ffmpeg.errorString(),
                          QString::fromLocal8Bit(ffmpeg.readAll()));
    }
    return false;
}
