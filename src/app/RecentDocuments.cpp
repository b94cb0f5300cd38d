#include "app/RecentDocuments.h"

#include "diagnostics/SystemLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString bookmarkNamespace = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString mimeNamespace = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

void writeBookmark(QXmlStreamWriter& writer, const QString& href, const QString& mimeType)
{
    const QString time = now();
    writer.writeStartElement(QStringLiteral("bookmark"));
    writer.writeAttribute(QStringLiteral("href"), href);
    writer.writeAttribute(QStringLiteral("added"), time);
    writer.writeAttribute(QStringLiteral("modified"), time);
    writer.writeAttribute(QStringLiteral("visited"), time);
    writer.writeStartElement(QStringLiteral("info"));
    writer.writeStartElement(QStringLiteral("metadata"));
    writer.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    writer.writeEmptyElement(mimeNamespace, QStringLiteral("mime-type"));
    writer.writeAttribute(QStringLiteral("type"), mimeType);
    writer.writeStartElement(bookmarkNamespace, QStringLiteral("applications"));
    writer.writeEmptyElement(bookmarkNamespace, QStringLiteral("application"));
    writer.writeAttribute(QStringLiteral("name"), QStringLiteral("Orvanta"));
    writer.writeAttribute(QStringLiteral("exec"), QStringLiteral("'orvanta %u'"));
    writer.writeAttribute(QStringLiteral("modified"), time);
    writer.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndElement();
}

// Copies the existing list to the writer, refreshing the entry of `href` if there is one and
// adding it at the end otherwise. False when the list is not well-formed xbel.
bool copyWithBookmark(const QByteArray& existing, QXmlStreamWriter& writer, const QString& href,
                      const QString& mimeType)
{
    QXmlStreamReader reader(existing);
    bool found = false;
    bool sawRoot = false;
    int depth = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            ++depth;
            if (depth == 1) {
                sawRoot = reader.name() == QLatin1String("xbel");
            }
            if (depth == 2 && reader.name() == QLatin1String("bookmark") &&
                reader.attributes().value(QLatin1String("href")) == href) {
                found = true;
                writer.writeStartElement(QStringLiteral("bookmark"));
                for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                    const bool refreshed = attribute.name() == QLatin1String("modified") ||
                                           attribute.name() == QLatin1String("visited");
                    writer.writeAttribute(attribute.qualifiedName().toString(),
                                          refreshed ? now() : attribute.value().toString());
                }
                continue;
            }
        } else if (reader.isEndElement()) {
            if (depth == 1 && !found) {
                writeBookmark(writer, href, mimeType);
            }
            --depth;
        }
        if (!reader.isStartDocument() && !reader.isEndDocument()) {
            writer.writeCurrentToken(reader);
        }
    }
    return !reader.hasError() && sawRoot;
}

} // namespace

QString RecentDocuments::listPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/recently-used.xbel");
}

bool RecentDocuments::add(const QString& filePath)
{
    const QString path = listPath();
    const QString href = QString::fromUtf8(QUrl::fromLocalFile(filePath).toEncoded());
    const QString mimeType = QMimeDatabase().mimeTypeForFile(filePath, QMimeDatabase::MatchExtension).name();

    QByteArray existing;
    QFile current(path);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            systemLog(QStringLiteral("Recent files: %1 cannot be read: %2").arg(path, current.errorString()));
            return false;
        }
        existing = current.readAll();
    }

    QByteArray updated;
    QXmlStreamWriter writer(&updated);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    if (existing.trimmed().isEmpty()) {
        writer.writeNamespace(bookmarkNamespace, QStringLiteral("bookmark"));
        writer.writeNamespace(mimeNamespace, QStringLiteral("mime"));
        writer.writeStartElement(QStringLiteral("xbel"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        writeBookmark(writer, href, mimeType);
        writer.writeEndElement();
    } else {
        if (!copyWithBookmark(existing, writer, href, mimeType)) {
            systemLog(
                QStringLiteral("Recent files: %1 is not a list of recent files; left as it is").arg(path));
            return false;
        }
    }
    writer.writeEndDocument();

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() || !file.commit()) {
        systemLog(QStringLiteral("Recent files: %1 cannot be written: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}
