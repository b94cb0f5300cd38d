// The activity log file: its start, its entries, and many writers at once.
#include "diagnostics/ActivityLog.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ActivityLogTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Documents/textfile.txt"));
    ActivityLog log{path};
};

TEST_F(ActivityLogTest, FirstEntryCreatesTheFileAfterHello)
{
    log.addToLog(QStringLiteral("Start Playing music"));
    EXPECT_EQ(contents(path), "Hello\n\n Start Playing music");
}

TEST_F(ActivityLogTest, EntriesAreAppendedInOrderWithTheirOwnLineEnds)
{
    log.addToLog(QStringLiteral("A"));
    log.addToLog(QStringLiteral("POST /stop HTTP/1.1\r\n\r\n"));
    log.addToLog(QString());
    EXPECT_EQ(contents(path), "Hello\n\n A\n\n POST /stop HTTP/1.1\r\n\r\n\n\n (null)");
}

TEST_F(ActivityLogTest, NonAsciiEntryIsKeptAsUtf8)
{
    log.addToLog(QStringLiteral("Connected to service: Salon d\u00e9j\u00e0 vu"));
    log.addToLog(QStringLiteral("after"));
    EXPECT_EQ(contents(path), QByteArray("Hello\n\n Connected to service: Salon d\xc3\xa9j\xc3\xa0 vu\n\n after"));
}

TEST_F(ActivityLogTest, ExistingFileIsAppendedToNotRewritten)
{
    log.addToLog(QStringLiteral("first run"));
    ActivityLog nextRun(path);
    nextRun.addToLog(QStringLiteral("second run"));
    EXPECT_EQ(contents(path), "Hello\n\n first run\n\n second run");
}

TEST_F(ActivityLogTest, TwoThreadsAppendingLoseNothing)
{
    constexpr int perThread = 10000;
    auto writer = [this](char name) {
        for (int i = 0; i < perThread; ++i) {
            log.addToLog(QStringLiteral("%1-%2").arg(name).arg(i));
        }
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();

    const QByteArray text = contents(path);
    ASSERT_TRUE(text.startsWith("Hello\n\n "));
    const QByteArrayList entries = text.mid(8).split('\n');
    int nextA = 0;
    int nextB = 0;
    int blank = 0;
    for (const QByteArray& line : entries) {
        if (line.isEmpty()) {
            ++blank;
            continue;
        }
        const QByteArray entry = line.startsWith(' ') ? line.mid(1) : line;
        if (entry.startsWith("a-")) {
            ASSERT_EQ(entry, "a-" + QByteArray::number(nextA++));
        } else {
            ASSERT_EQ(entry, "b-" + QByteArray::number(nextB++));
        }
    }
    EXPECT_EQ(nextA, perThread);
    EXPECT_EQ(nextB, perThread);
    EXPECT_EQ(blank, 2 * perThread - 1);
}

} // namespace
