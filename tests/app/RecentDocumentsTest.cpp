// The desktop's list of recent files: a played file is added, others' entries are kept, and
// a list that is not one is never overwritten.
#include "app/RecentDocuments.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList hrefs(const QByteArray& xbel)
{
    QStringList found;
    QXmlStreamReader reader(xbel);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("bookmark")) {
            found << reader.attributes().value(QLatin1String("href")).toString();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return found;
}

TEST(RecentDocuments, PlayedFileIsAddedOnceAndOtherEntriesAreKept)
{
    TempHome home;
    const QString path = RecentDocuments::listPath();
    ASSERT_TRUE(path.startsWith(home.path()));
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks" xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///home/ann/letter.odt" added="2026-01-01T00:00:00Z" modified="2026-01-01T00:00:00Z" visited="2026-01-01T00:00:00Z">
    <info><metadata owner="http://freedesktop.org"><mime:mime-type type="application/vnd.oasis.opendocument.text"/>
      <bookmark:applications><bookmark:application name="Writer" exec="'writer %u'" modified="2026-01-01T00:00:00Z" count="3"/></bookmark:applications>
    </metadata></info>
  </bookmark>
</xbel>
)");
    }

    ASSERT_TRUE(RecentDocuments::add(QStringLiteral("/home/ann/Music/a b.mp3")));
    ASSERT_TRUE(RecentDocuments::add(QStringLiteral("/home/ann/Music/a b.mp3")));
    const QByteArray xbel = contents(path);
    EXPECT_EQ(hrefs(xbel), (QStringList{"file:///home/ann/letter.odt", "file:///home/ann/Music/a%20b.mp3"}));
    EXPECT_TRUE(xbel.contains("name=\"Writer\"")) << xbel.toStdString();
    EXPECT_TRUE(xbel.contains("name=\"Orvanta\"")) << xbel.toStdString();
    EXPECT_TRUE(xbel.contains("audio/mpeg")) << xbel.toStdString();
}

TEST(RecentDocuments, NewListIsCreatedAndABrokenOneIsLeftAlone)
{
    TempHome home;
    ASSERT_TRUE(RecentDocuments::add(QStringLiteral("/srv/film.mkv")));
    EXPECT_EQ(hrefs(contents(RecentDocuments::listPath())), QStringList{"file:///srv/film.mkv"});

    const QByteArray broken = "<xbel><bookmark href=\"file:///x\">";
    {
        QFile file(RecentDocuments::listPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(broken);
    }
    EXPECT_FALSE(RecentDocuments::add(QStringLiteral("/srv/film.mkv")));
    EXPECT_EQ(contents(RecentDocuments::listPath()), broken);
}

} // namespace
