#include "library/MediaFile.h"

#include "diagnostics/SystemLog.h"
#include "library/MediaMetadata.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const acceptedNameParts[] = {".mp3", ".mp4", ".mkv", ".avi", ".mpeg", ".mov"};

// Why the path cannot be added as a file; empty when it can.
QString fileRefusal(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        return QStringLiteral("it is not an absolute path");
    }
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status
    {};
    if (::stat(encoded.constData(), &status) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        return QStringLiteral("it is a folder, not a file");
    }
    if (!S_ISREG(status.st_mode)) {
        return QStringLiteral("it is not a regular file");
    }
    if (::access(encoded.constData(), R_OK) != 0) {
        return QStringLiteral("it cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    return {};
}

QString orUnknown(const QString& text)
{
    return text.trimmed().isEmpty() ? QStringLiteral("Unknown") : text;
}

} // namespace

bool MediaFile::hasAcceptedName(const QString& name)
{
    for (const char* part : acceptedNameParts) {
        if (name.contains(QLatin1String(part), Qt::CaseSensitive)) {
            return true;
        }
    }
    return false;
}

MediaFile MediaFile::read(const QString& path)
{
    MediaFile file;
    file.path = path;
    const QString name = QFileInfo(path).fileName();
    if (!hasAcceptedName(name)) {
        file.refusal = QStringLiteral("its name holds none of .mp3, .mp4, .mkv, .avi, .mpeg, .mov");
        return file;
    }
    file.refusal = fileRefusal(path);
    if (!file.isAccepted()) {
        return file;
    }

    QString error;
    const MediaMetadata metadata = MediaMetadata::read(path, error);
    if (!error.isEmpty()) {
        systemLog(QStringLiteral("No tags or duration read from %1: %2").arg(path, error));
    }
    file.item.songName = metadata.title.trimmed().isEmpty() ? name : metadata.title;
    file.item.songAlbum = orUnknown(metadata.album);
    file.item.songArtist = orUnknown(metadata.artist);
    file.item.songPath = path;
    file.item.songTime = QString::number(metadata.seconds);
    return file;
}
