#include "server/RequestHead.h"
#include "server/RequestHeadReader.h"
#include "server/RequestRules.h"
#include "server/RequestTarget.h"
#include "server/Response.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using State = RequestHeadReader::State;

std::string headWithFieldLines(std::size_t count)
{
    std::string head = "GET / HTTP/1.1\r\n";
    for (std::size_t i = 0; i < count; ++i) {
        head += "X-" + std::to_string(i) + ": v\r\n";
    }
    return head + "\r\n";
}

TEST(RequestHeadReader, SplitsLinesAndLeavesWhatFollowsTheHead)
{
    RequestHeadReader reader;
    const std::string bytes = "\r\nGET /a HTTP/1.1\r\nHost: x\nRange: bytes=0-1\r\n\r\nGET /b HTTP/1.1\r\n";
    const std::size_t taken = reader.consume(bytes);
    EXPECT_EQ(reader.state(), State::Complete);
    EXPECT_EQ(bytes.substr(taken), "GET /b HTTP/1.1\r\n");
    EXPECT_EQ(reader.lines(), (std::vector<std::string>{"GET /a HTTP/1.1", "Host: x", "Range: bytes=0-1"}));
}

TEST(RequestHeadReader, TakesBytesInAnyPieces)
{
    const std::string bytes = "GET /a HTTP/1.1\r\nHost: x\r\n\r\n";
    RequestHeadReader reader;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(reader.state(), State::Reading);
        EXPECT_EQ(reader.consume(bytes.substr(i, 1)), 1U);
    }
    EXPECT_EQ(reader.state(), State::Complete);
    EXPECT_EQ(reader.linesCompleted(), 3U);
    EXPECT_EQ(reader.lines(), (std::vector<std::string>{"GET /a HTTP/1.1", "Host: x"}));
}

TEST(RequestHeadReader, EnforcesTheLineLengthAndLineCount)
{
    const std::string longest(RequestHeadReader::maxLineLength, 'a');
    struct Case
    {
        std::string bytes;
        State state;
    };
    const Case cases[] = {
        {"GET / HTTP/1.1\r\nX: " + longest.substr(3) + "\r\n\r\n", State::Complete},
        {"GET / HTTP/1.1\r\nX: " + longest.substr(2) + "\r\n\r\n", State::LineTooLong},
        {"GET / HTTP/1.1\r\nX: " + longest.substr(2), State::LineTooLong},
        {longest, State::Reading},
        {longest + "\r", State::Reading},
        {longest + "a", State::LineTooLong},
        {headWithFieldLines(100), State::Complete},
        {headWithFieldLines(101), State::TooManyLines},
        {std::string(102, '\n'), State::TooManyLines},
    };
    for (const Case& c : cases) {
        RequestHeadReader reader;
        reader.consume(c.bytes);
        EXPECT_EQ(reader.state(), c.state) << c.bytes.substr(0, 40) << "... (" << c.bytes.size() << " bytes)";
    }
}

TEST(RequestHead, ParsesWellFormedHeadsOnly)
{
    const auto head = parseRequestHead({"GET /a%20b?q HTTP/1.0", "Range:  bytes=0-1 ", "range: x", "Empty:"});
    ASSERT_TRUE(head);
    EXPECT_EQ(head->method, "GET");
    EXPECT_EQ(head->target, "/a%20b?q");
    EXPECT_EQ(head->version, "HTTP/1.0");
    EXPECT_EQ(head->values("RANGE"), (std::vector<std::string_view>{"bytes=0-1", "x"}));
    EXPECT_EQ(head->values("empty"), (std::vector<std::string_view>{""}));

    const std::vector<std::vector<std::string>> malformed = {
        {"GET /"},
        {"GET  / HTTP/1.1"},
        {"GET / HTTP/1.1 "},
        {"GET / HTTP/1.1 extra"},
        {"GET\t/ HTTP/1.1"},
        {"G(T / HTTP/1.1"},
        {"GET / HTTP/11"},
        {"GET / http/1.1"},
        {"GET / HTTP/1.1", "No colon"},
        {"GET / HTTP/1.1", "Bad Name: x"},
        {"GET / HTTP/1.1", ": no name"},
        {"GET / HTTP/1.1", "Host: x", " folded"},
        {"GET / HTTP/1.1", std::string("X: a\0b", 6)},
        {"GET /\x01 HTTP/1.1"},
    };
    for (const auto& lines : malformed) {
        EXPECT_FALSE(parseRequestHead(lines)) << lines.back();
    }
}

TEST(RequestRules, VersionsMethodsBodiesAndPersistence)
{
    struct Case
    {
        std::vector<std::string> lines;
        int errorStatus;
        bool keepAlive;
    };
    const Case cases[] = {
        {{"GET / HTTP/1.1"}, 0, true},
        {{"HEAD / HTTP/1.1"}, 0, true},
        {{"GET / HTTP/1.1", "Connection: close"}, 0, false},
        {{"GET / HTTP/1.1", "connection: Keep-Alive, CLOSE"}, 0, false},
        {{"GET / HTTP/1.0"}, 0, false},
        {{"GET / HTTP/1.0", "Connection: keep-alive"}, 0, true},
        {{"GET / HTTP/1.0", "Connection: Keep-Alive"}, 0, true},
        {{"GET / HTTP/1.1", "Content-Length: 0"}, 0, true},
        {{"GET / HTTP/1.1", "Content-Length: 000"}, 0, true},
        {{"GET / HTTP/1.1", "Content-Length: 5"}, 400, false},
        {{"GET / HTTP/1.1", "Content-Length: 0", "Content-Length: 5"}, 400, false},
        {{"HEAD / HTTP/1.1", "Content-Length: abc"}, 400, false},
        {{"GET / HTTP/1.1", "Content-Length: "}, 400, false},
        {{"GET / HTTP/1.1", "Content-Length: -0"}, 400, false},
        {{"GET / HTTP/1.1", "Transfer-Encoding: chunked"}, 400, false},
        {{"GET / HTTP/2.0"}, 505, false},
        {{"GET / HTTP/0.9"}, 505, false},
        {{"POST / HTTP/2.0"}, 505, false},
        {{"POST / HTTP/1.1"}, 400, false},
        {{"PUT / HTTP/1.1"}, 400, false},
        {{"POST / HTTP/1.1", "Content-Length: 3"}, 405, false},
        {{"PUT / HTTP/1.1", "Transfer-Encoding: gzip, Chunked"}, 405, false},
        {{"POST / HTTP/1.1", "Transfer-Encoding: gzip"}, 400, false},
        {{"DELETE / HTTP/1.1"}, 405, false},
        {{"OPTIONS * HTTP/1.1"}, 405, false},
        {{"get / HTTP/1.1"}, 405, false},
    };
    for (const Case& c : cases) {
        const auto head = parseRequestHead(c.lines);
        ASSERT_TRUE(head) << c.lines.front();
        const RequestVerdict verdict = judgeRequest(*head);
        EXPECT_EQ(verdict.errorStatus, c.errorStatus) << c.lines.front() << " / " << c.lines.back();
        EXPECT_EQ(verdict.keepAlive, c.keepAlive) << c.lines.front() << " / " << c.lines.back();
    }
}

TEST(RequestTarget, DecodesThePathAndRefusesWhatNamesNoFile)
{
    const std::pair<const char*, const char*> decoded[] = {
        {"/Music/a%20b.mp3", "/Music/a b.mp3"},
        {"/Music/a%20b.mp3?x=1&y=/../z", "/Music/a b.mp3"},
        {"/Music/a.mp3#frag", "/Music/a.mp3"},
        {"/%C3%A9t%c3%a9.mp3", "/\xc3\xa9t\xc3\xa9.mp3"},
        {"/100%25.mp3", "/100%.mp3"},
        {"/a%3Fb.mp3", "/a?b.mp3"},
        {"/.hidden", "/.hidden"},
        {"/...", "/..."},
        {"/", "/"},
    };
    for (const auto& [target, path] : decoded) {
        EXPECT_EQ(decodeRequestPath(target), std::optional<std::string>(path)) << target;
    }
    const char* refused[] = {
        "Music/a.mp3",
        "http://host/Music/a.mp3",
        "*",
        "",
        "?/a",
        "/a%2Fb",
        "/a%2fb",
        "/a%00b",
        "/a%",
        "/a%2",
        "/a%zz",
        "/a%g0",
        "/..",
        "/../etc/passwd",
        "/Music/../.ssh/id_rsa",
        "/Music/%2e%2e/.ssh/id_rsa",
        "/Music/.%2E/x",
        "/./Music/a.mp3",
        "/Music/.",
    };
    for (const char* target : refused) {
        EXPECT_FALSE(decodeRequestPath(target)) << target;
    }
}

TEST(HttpDate, IsGmtWithEnglishNames)
{
    EXPECT_EQ(httpDate(1796997935), "Fri, 11 Dec 2026 14:05:35 GMT");
    EXPECT_EQ(httpDate(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
    EXPECT_EQ(httpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
}

} // namespace
