// Cutting the control connection's byte stream into whole responses.
#include "airplay/ResponseFramer.h"

#include <QByteArrayList>

#include <gtest/gtest.h>

namespace {

QByteArrayList frame(const QByteArrayList& reads, ResponseFramer& framer)
{
    QByteArrayList blocks;
    for (const QByteArray& read : reads) {
        framer.append(read);
        while (const auto block = framer.takeResponse()) {
            blocks << *block;
        }
    }
    return blocks;
}

QByteArrayList frame(const QByteArrayList& reads)
{
    ResponseFramer framer;
    return frame(reads, framer);
}

const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
const QByteArray empty = "HTTP/1.1 200 OK\r\n\r\n";

TEST(ResponseFramer, ReassemblesAResponseSplitAnywhere)
{
    for (qsizetype cut = 1; cut < ok.size(); ++cut) {
        EXPECT_EQ(frame({ok.left(cut), ok.mid(cut)}), QByteArrayList{ok}) << "cut at " << cut;
    }
    QByteArrayList bytes;
    for (const char byte : ok) {
        bytes << QByteArray(1, byte);
    }
    EXPECT_EQ(frame(bytes), QByteArrayList{ok});
}

TEST(ResponseFramer, SeparatesResponsesThatCameTogether)
{
    EXPECT_EQ(frame({ok + empty + ok}), (QByteArrayList{ok, empty, ok}));
    EXPECT_EQ(frame({ok + empty.left(7), empty.mid(7) + ok}), (QByteArrayList{ok, empty, ok}));
}

TEST(ResponseFramer, BytesBeforeAStatusLineComeOutOnTheirOwn)
{
    EXPECT_EQ(frame({"junk" + ok}), (QByteArrayList{"junk", ok}));
    EXPECT_EQ(frame({"junkHT", "TP/1.1 200 OK\r\n\r\n"}), (QByteArrayList{"junk", empty}));
    EXPECT_EQ(frame({QByteArray("\xff\xfe\x00\x01", 4)}), QByteArrayList{QByteArray("\xff\xfe\x00\x01", 4)});
}

TEST(ResponseFramer, AResponseThatCanNeverCompleteBreaksTheStream)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nabc"},
        {"huge length", "HTTP/1.1 200 OK\r\nContent-Length: 4294967295\r\n\r\nabc"},
        {"endless header", "HTTP/1.1 200 OK\r\nX: " + QByteArray(ResponseFramer::maxHeaderBytes, 'x')},
    };
    for (const Case& c : cases) {
        ResponseFramer framer;
        EXPECT_EQ(frame({c.bytes}, framer), QByteArrayList{c.bytes}) << c.name;
        EXPECT_TRUE(framer.isBroken()) << c.name;
        EXPECT_TRUE(frame({ok}, framer).isEmpty()) << c.name << ": nothing comes out after the break";
    }
}

TEST(ResponseFramer, LengthThatIsNoNumberCountsAsZero)
{
    const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\n";
    EXPECT_EQ(frame({answer + ok}), (QByteArrayList{answer, ok}));
}

} // namespace
