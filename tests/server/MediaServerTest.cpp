#include "RawHttpConnection.h"
#include "TestHome.h"

#include "server/MediaServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Whether `text` fits `shape`, where in the shape "9" stands for a digit, "H" for an
// upper-case hexadecimal digit and any other character for itself.
bool fitsShape(std::string_view text, std::string_view shape)
{
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        const bool fits = shape[i] == '9'   ? digit
                          : shape[i] == 'H' ? digit || (text[i] >= 'A' && text[i] <= 'F')
                                            : text[i] == shape[i];
        if (!fits) {
            return false;
        }
    }
    return true;
}

// "Fri, 11 Dec 2026 14:05:35 GMT"
bool isHttpDate(const std::string& text)
{
    const std::string_view days = "Mon Tue Wed Thu Fri Sat Sun";
    const std::string_view months = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec";
    return text.size() == 29 && days.find(text.substr(0, 3)) % 4 == 0 &&
           months.find(text.substr(8, 3)) % 4 == 0 && fitsShape(text.substr(3, 5), ", 99 ") &&
           fitsShape(text.substr(11), " 9999 99:99:99 GMT");
}

// The headers every response carries, and the ones no response of this server carries.
void expectCommonHeaders(const RawHttpResponse& response, const std::string& context)
{
    const std::optional<std::string> date = response.header("Date");
    ASSERT_TRUE(date) << context;
    EXPECT_TRUE(isHttpDate(*date)) << context << ": Date: " << *date;
    EXPECT_EQ(response.header("Accept-Ranges"), "bytes") << context;
    EXPECT_TRUE(response.header("Content-Length")) << context;
    EXPECT_FALSE(response.header("Transfer-Encoding")) << context;
    EXPECT_FALSE(response.header("Keep-Alive")) << context;
}

std::string get(const std::string& target, const std::string& extraLines = "")
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraLines + "\r\n";
}

class MediaServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        song = patternBytes(1000);
        songPath = home.write(home.home() + "/Music/a b.mp3", song);
        home.write(home.home() + "/empty.mp3", "");
        home.write(home.home() + "/.ssh/id_rsa", "secret key");
        home.write(home.home() + "/Music/.hidden.mp3", "hidden");
        home.write(home.home() + "/index.html", "index");
        outsidePath = home.write(home.outside() + "/media/x y.mp4", "outside the home directory");
        publish({songPath, home.home() + "/empty.mp3", outsidePath});
        server = std::make_unique<MediaServer>(published, options);
        ASSERT_EQ(server->start(), std::nullopt);
        ASSERT_NE(server->port(), 0);
    }

    void publish(const std::vector<std::string>& paths) { published->replace(home.home(), paths); }

    // A big file of the pattern, published at `urlPath` below the home directory.
    void makeBigFile(const std::string& urlPath, std::size_t size)
    {
        const std::string block = patternBytes(1 << 20);
        const std::string path = home.home() + urlPath;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary);
        for (std::size_t written = 0; written < size; written += block.size()) {
            out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), size - written)));
        }
        ASSERT_TRUE(out.good());
        out.close();
        publish({songPath, path});
    }

    TestHome home;
    std::string song;
    std::string songPath;
    std::string outsidePath;
    std::shared_ptr<PublishedFiles> published = std::make_shared<PublishedFiles>();
    MediaServerOptions options;
    std::unique_ptr<MediaServer> server;
};

struct RawCase
{
    std::string request;
    int status;     // 0: the connection closes without a response
    bool staysOpen; // the connection takes a further request afterwards
    std::string body;
    std::vector<std::pair<std::string, std::optional<std::string>>> headers; // nothing: absent
};

TEST_F(MediaServerTest, AnswersRawRequestsExactly)
{
    const std::string s = song;
    const std::string longTarget = "/" + std::string(8190 - 4 - 9 - 1, 'a'); // a request line of 8190 bytes
    std::string manyLines;
    for (int i = 0; i < 99; ++i) { // with Host: 100 header lines
        manyLines += "X-Line-" + std::to_string(i) + ": " + std::to_string(i) + "\r\n";
    }
    const std::vector<RawCase> cases = {
        {get("/Music/a%20b.mp3"),
         200,
         true,
         s,
         {{"Content-Length", "1000"}, {"Content-Type", {}}, {"Connection", {}}}},
        {get("/Music/a%20b.mp3?start=0#t"), 200, true, s, {}},
        {"GET /Music/a%20b.mp3 HTTP/1.1\n\n", 200, true, s, {}},
        {"\r\nGET /Music/a%20b.mp3 HTTP/1.1\r\n\r\n", 200, true, s, {}},
        {get("/Music/a%20b.mp3", "Range: bytes=0-99\r\n"),
         206,
         true,
         s.substr(0, 100),
         {{"Content-Length", "100"}, {"Content-Range", "bytes 0-99/1000"}, {"Content-Type", {}}}},
        {get("/Music/a%20b.mp3", "Range: bytes=900-\r\n"),
         206,
         true,
         s.substr(900),
         {{"Content-Range", "bytes 900-999/1000"}}},
        {get("/Music/a%20b.mp3", "Range: bytes=-100\r\n"),
         206,
         true,
         s.substr(900),
         {{"Content-Range", "bytes 900-999/1000"}}},
        {get("/Music/a%20b.mp3", "range: BYTES=7\r\n"),
         206,
         true,
         s.substr(7, 1),
         {{"Content-Range", "bytes 7-7/1000"}}},
        {get("/Music/a%20b.mp3", "Range: bytes=1000-\r\n"), 200, true, s, {{"Content-Range", {}}}},
        {get("/Music/a%20b.mp3", "Range: items=0-10\r\n"), 200, true, s, {}},
        {get("/Music/a%20b.mp3", "Range: bytes=0-10,5-20\r\n"), 200, true, s, {}},
        {get("/Music/a%20b.mp3", "Range: bytes=-0\r\n"), 200, true, s, {}},
        {get("/Music/a%20b.mp3", "Range: bytes=18446744073709551616-\r\n"), 200, true, s, {}},
        {get("/empty.mp3"), 200, true, "", {{"Content-Length", "0"}}},
        {get("/empty.mp3", "Range: bytes=0-\r\n"), 200, true, "", {{"Content-Length", "0"}}},
        {get("/empty.mp3", "Range: bytes=-0\r\n"), 200, true, "", {{"Content-Length", "0"}}},
        {get(home.outside() + "/media/x%20y.mp4"), 200, true, "outside the home directory", {}},
        {get("/Music/a%20b.mp3", "Content-Length: 0\r\n"), 200, true, s, {}},
        {get("/Music/a%20b.mp3", manyLines), 200, true, s, {}},
        {"GET /Music/a%20b.mp3 HTTP/1.0\r\n\r\n", 200, false, s, {{"Connection", {}}}},
        {"GET /Music/a%20b.mp3 HTTP/1.0\r\nConnection: keep-alive\r\n\r\n",
         200,
         true,
         s,
         {{"Connection", {}}, {"Keep-Alive", {}}}},
        {get("/Music/a%20b.mp3", "Connection: close\r\n"), 200, false, s, {{"Connection", {}}}},
        // Nothing but the published files, each by its own URL path.
        {get("/"), 404, true, "", {{"Content-Length", "0"}, {"Connection", {}}}},
        {get("/index.html"), 404, true, "", {}},
        {get("/Music/"), 404, true, "", {}},
        {get("/Music"), 404, true, "", {}},
        {get("/.ssh/id_rsa"), 404, true, "", {}},
        {get("/Music/.hidden.mp3"), 404, true, "", {}},
        {get("/Music/../.ssh/id_rsa"), 404, true, "", {}},
        {get("/Music/%2e%2e/.ssh/id_rsa"), 404, true, "", {}},
        {get("/Music/%2E%2E/%2E%2E/%2E%2E/etc/passwd"), 404, true, "", {}},
        {get("/Music/./a%20b.mp3"), 404, true, "", {}},
        {get("/Music/x/../a%20b.mp3"), 404, true, "", {}},
        {get("//Music/a%20b.mp3"), 404, true, "", {}},
        {get("/Music%2Fa%20b.mp3"), 404, true, "", {}},
        {get("/Music/a%20b.mp3%00"), 404, true, "", {}},
        {get("/Music/a%20b.mp3%00.txt"), 404, true, "", {}},
        {get("/Music/a%2"), 404, true, "", {}},
        {get("/Music/a%zzb.mp3"), 404, true, "", {}},
        {get("/music/a%20b.mp3"), 404, true, "", {}},
        {get("http://127.0.0.1/Music/a%20b.mp3"), 404, true, "", {}},
        {get(home.home() + "/Music/a%20b.mp3"), 404, true, "", {}},
        {get("/media/x%20y.mp4"), 404, true, "", {}},
        {get(longTarget), 404, true, "", {}},
        // Other methods, versions and malformed heads.
        {"POST /Music/a%20b.mp3 HTTP/1.1\r\n\r\n", 400, false, "", {{"Connection", "close"}}},
        {"POST /Music/a%20b.mp3 HTTP/1.1\r\nContent-Length: 4\r\n\r\nbody",
         405,
         false,
         "",
         {{"Connection", "close"}, {"Content-Length", "0"}}},
        {"PUT /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
         405,
         false,
         "",
         {{"Connection", "close"}}},
        {"DELETE /Music/a%20b.mp3 HTTP/1.1\r\n\r\n", 405, false, "", {{"Connection", "close"}}},
        {"OPTIONS * HTTP/1.1\r\n\r\n", 405, false, "", {{"Connection", "close"}}},
        {get("/Music/a%20b.mp3", "Content-Length: 5\r\n") + "hello",
         400,
         false,
         "",
         {{"Connection", "close"}}},
        {get("/Music/a%20b.mp3", "Content-Length: zero\r\n"), 400, false, "", {{"Connection", "close"}}},
        {get("/Music/a%20b.mp3", "Transfer-Encoding: chunked\r\n") + "0\r\n\r\n",
         400,
         false,
         "",
         {{"Connection", "close"}}},
        {"GET /Music/a%20b.mp3 HTTP/2.0\r\n\r\n", 505, false, "", {{"Content-Length", "0"}}},
        {"GET /Music/a%20b.mp3 HTTP/1.2\r\n\r\n", 505, false, "", {}},
        {"GET /Music/a%20b.mp3\r\n\r\n", 400, false, "", {{"Connection", "close"}}},
        {"HELLO\r\n\r\n", 400, false, "", {}},
        {get("/Music/a%20b.mp3", "Range bytes=0-1\r\n"), 400, false, "", {}},
        {get("/Music/a%20b.mp3", "Host: a\r\n folded\r\n"), 400, false, "", {}},
        // Closed without a response.
        {get("/" + std::string(8190, 'a')), 0, false, "", {}},
        {get("/", "X: " + std::string(8190, 'a') + "\r\n"), 0, false, "", {}},
        {get("/", manyLines + "X-Line-99: 99\r\n"), 0, false, "", {}},
    };
    for (const RawCase& c : cases) {
        const std::string context =
            c.request.substr(0, c.request.find('\n')) + " (" + std::to_string(c.request.size()) + " bytes)";
        RawHttpConnection connection(server->port());
        ASSERT_TRUE(connection.send(c.request)) << context;
        if (c.status == 0) {
            EXPECT_TRUE(connection.closesWithoutData()) << context;
            continue;
        }
        const std::optional<RawHttpResponse> response = connection.readResponse();
        ASSERT_TRUE(response) << context;
        EXPECT_TRUE(response->statusLine.starts_with("HTTP/1.1 " + std::to_string(c.status) + " "))
            << context;
        expectCommonHeaders(*response, context);
        EXPECT_EQ(response->body, c.body) << context;
        for (const auto& [name, value] : c.headers) {
            EXPECT_EQ(response->header(name), value) << context << ": " << name;
        }
        if (c.status >= 400) {
            EXPECT_EQ(response->header("Content-Length"), "0") << context;
        }
        if (c.staysOpen) {
            ASSERT_TRUE(connection.send("HEAD /empty.mp3 HTTP/1.1\r\n\r\n")) << context;
            const auto next = connection.readResponse(true);
            ASSERT_TRUE(next) << context << ": the connection should take another request";
            EXPECT_EQ(next->status, 200) << context;
        } else {
            EXPECT_TRUE(connection.closesWithoutData()) << context << ": the connection should close";
        }
    }
}

TEST_F(MediaServerTest, SeveralRangesMakeAMultipartBody)
{
    const auto first =
        fetchOnce(server->port(), get("/Music/a%20b.mp3", "Range: bytes=500-599,0-99,-10\r\n"));
    const auto second =
        fetchOnce(server->port(), get("/Music/a%20b.mp3", "Range: bytes=500-599,0-99,-10\r\n"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->status, 206);
    expectCommonHeaders(*first, "multipart");
    const std::optional<std::string> type = first->header("Content-Type");
    ASSERT_TRUE(type);
    const std::string prefix = "multipart/byteranges; boundary=";
    ASSERT_TRUE(type->starts_with(prefix)) << *type;
    const std::string boundary = type->substr(prefix.size());
    EXPECT_TRUE(fitsShape(boundary, "HHHHHHHH-HHHH-4HHH-HHHH-HHHHHHHHHHHH")) << boundary;
    EXPECT_NE(second->header("Content-Type"), type) << "every response has a boundary of its own";

    const std::string expected = "\r\n--" + boundary + "\r\nContent-Range: bytes 0-99/1000\r\n\r\n" +
                                 song.substr(0, 100) + "\r\n--" + boundary +
                                 "\r\nContent-Range: bytes 500-599/1000\r\n\r\n" + song.substr(500, 100) +
                                 "\r\n--" + boundary + "\r\nContent-Range: bytes 990-999/1000\r\n\r\n" +
                                 song.substr(990) + "\r\n--" + boundary + "--\r\n";
    EXPECT_EQ(first->body, expected);
    EXPECT_EQ(first->header("Content-Length"), std::to_string(expected.size()));
    EXPECT_FALSE(first->header("Content-Range"));
}

TEST_F(MediaServerTest, HeadGivesTheHeadOfGetWithoutABody)
{
    const std::string variants[] = {"", "Range: bytes=10-19\r\n", "Range: bytes=0-1,5-6\r\n",
                                    "Range: bytes=5-1\r\n"};
    const std::string targets[] = {"/Music/a%20b.mp3", "/empty.mp3", "/nothing.mp3"};
    for (const std::string& target : targets) {
        for (const std::string& range : variants) {
            const std::string context = target + " " + range;
            const auto getResponse = fetchOnce(server->port(), get(target, range));
            RawHttpConnection connection(server->port());
            ASSERT_TRUE(connection.send("HEAD " + target + " HTTP/1.1\r\n" + range + "\r\n"));
            const auto headResponse = connection.readResponse(true);
            ASSERT_TRUE(getResponse && headResponse) << context;
            EXPECT_EQ(headResponse->statusLine, getResponse->statusLine) << context;
            ASSERT_EQ(headResponse->headers.size(), getResponse->headers.size()) << context;
            for (std::size_t i = 0; i < getResponse->headers.size(); ++i) {
                const auto& [name, value] = getResponse->headers[i];
                EXPECT_EQ(headResponse->headers[i].first, name) << context;
                if (name != "Date" && name != "Content-Type") {
                    EXPECT_EQ(headResponse->headers[i].second, value) << context << ": " << name;
                }
            }
            // Nothing follows the head: the next bytes are the answer to the next request.
            ASSERT_TRUE(connection.send("GET /empty.mp3 HTTP/1.1\r\n\r\n"));
            const auto next = connection.readResponse();
            ASSERT_TRUE(next) << context;
            EXPECT_TRUE(next->statusLine.starts_with("HTTP/1.1 200")) << context << ": " << next->statusLine;
        }
    }
}

TEST_F(MediaServerTest, KeepsOneConnectionAcrossManyRequests)
{
    RawHttpConnection connection(server->port());
    for (int i = 0; i < 100; ++i) {
        const std::size_t first = static_cast<std::size_t>(i) * 9;
        const bool head = i % 10 == 9;
        const std::string request = std::string(head ? "HEAD" : "GET") +
                                    " /Music/a%20b.mp3 HTTP/1.1\r\nRange: bytes=" + std::to_string(first) +
                                    "-" + std::to_string(first + 9) + "\r\n\r\n";
        ASSERT_TRUE(connection.send(request)) << "request " << i;
        const auto response = connection.readResponse(head);
        ASSERT_TRUE(response) << "request " << i;
        EXPECT_EQ(response->status, 206) << "request " << i;
        EXPECT_EQ(response->body, head ? "" : song.substr(first, 10)) << "request " << i;
    }
    // Pipelined: two requests in one write are answered in order.
    ASSERT_TRUE(connection.send(get("/Music/a%20b.mp3", "Range: bytes=0-3\r\n") + get("/nothing") +
                                get("/Music/a%20b.mp3", "Range: bytes=4-7\r\nConnection: close\r\n")));
    const auto first = connection.readResponse();
    const auto second = connection.readResponse();
    const auto third = connection.readResponse();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->body, song.substr(0, 4));
    EXPECT_EQ(second->status, 404);
    EXPECT_EQ(third->body, song.substr(4, 4));
    EXPECT_TRUE(connection.closesWithoutData());
}

TEST_F(MediaServerTest, ListensOnIPv6AndIPv4)
{
    EXPECT_EQ(fetchOnce(server->port(), get("/Music/a%20b.mp3"))->body, song);
    RawHttpConnection v6(server->port(), "::1");
    if (!v6.isConnected()) {
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    }
    ASSERT_TRUE(v6.send(get("/Music/a%20b.mp3")));
    const auto response = v6.readResponse();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->body, song);
}

TEST_F(MediaServerTest, PortIsZeroUnlessRunning)
{
    MediaServer idle(published);
    EXPECT_EQ(idle.port(), 0);
    ASSERT_EQ(idle.start(), std::nullopt);
    EXPECT_NE(idle.port(), 0);
    EXPECT_NE(idle.port(), server->port());
    EXPECT_TRUE(idle.start().has_value()) << "a running server does not start twice";
    idle.stop();
    EXPECT_EQ(idle.port(), 0);
    MediaServer withoutFiles(nullptr);
    EXPECT_TRUE(withoutFiles.start().has_value());
    EXPECT_EQ(withoutFiles.port(), 0);
}

TEST_F(MediaServerTest, FollowsTheSetOfPublishedFiles)
{
    EXPECT_EQ(fetchOnce(server->port(), get("/Music/a%20b.mp3"))->status, 200);
    publish({home.home() + "/Music/.hidden.mp3"});
    EXPECT_EQ(fetchOnce(server->port(), get("/Music/a%20b.mp3"))->status, 404);
    const auto hidden = fetchOnce(server->port(), get("/Music/.hidden.mp3"));
    EXPECT_EQ(hidden->status, 200);
    EXPECT_EQ(hidden->body, "hidden");
    // A published file that has gone, or that is a directory, is not there.
    std::filesystem::remove(home.home() + "/Music/.hidden.mp3");
    publish({home.home() + "/Music/.hidden.mp3", home.home() + "/Music"});
    EXPECT_EQ(fetchOnce(server->port(), get("/Music/.hidden.mp3"))->status, 404);
    EXPECT_EQ(fetchOnce(server->port(), get("/Music"))->status, 404);
}

class ShortLimitsTest : public MediaServerTest
{
protected:
    void SetUp() override
    {
        options.lineTimeout = 1s;
        options.headTimeout = 2s;
        MediaServerTest::SetUp();
    }
};

TEST_F(ShortLimitsTest, ClosesWhenALineOrTheHeadIsLate)
{
    RawHttpConnection idle(server->port());
    EXPECT_TRUE(idle.closesWithoutData(10s)) << "no first line within the line limit";

    RawHttpConnection halfLine(server->port());
    ASSERT_TRUE(halfLine.send("GET /Music/a%20b.mp3 HT"));
    EXPECT_TRUE(halfLine.closesWithoutData(10s));

    // Every line in time, but the head as a whole is not.
    RawHttpConnection trickle(server->port());
    ASSERT_TRUE(trickle.send("GET /Music/a%20b.mp3 HTTP/1.1\r\n"));
    bool closed = false;
    for (int i = 0; i < 16 && !closed; ++i) {
        std::this_thread::sleep_for(250ms);
        closed = !trickle.send("X-Slow-" + std::to_string(i) + ": 1\r\n");
    }
    trickle.send("\r\n");
    EXPECT_TRUE(trickle.closesWithoutData(10s));

    // Lines that each come in time within the head's limit are answered.
    RawHttpConnection patient(server->port());
    ASSERT_TRUE(patient.send("GET /Music/a%20b.mp3 HTTP/1.1\r\n"));
    std::this_thread::sleep_for(250ms);
    ASSERT_TRUE(patient.send("Host: x\r\n"));
    std::this_thread::sleep_for(250ms);
    ASSERT_TRUE(patient.send("\r\n"));
    const auto response = patient.readResponse();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->body, song);
    EXPECT_TRUE(patient.closesWithoutData(10s)) << "the next request has the line limit too";
}

TEST_F(MediaServerTest, AConnectionBeyondSixtyFourIsClosedAtOnce)
{
    std::vector<std::unique_ptr<RawHttpConnection>> idle;
    for (int i = 0; i < 64; ++i) {
        idle.push_back(std::make_unique<RawHttpConnection>(server->port()));
        ASSERT_TRUE(idle.back()->isConnected());
    }
    RawHttpConnection refused(server->port());
    refused.send(get("/Music/a%20b.mp3"));
    EXPECT_TRUE(refused.closesWithoutData());

    // The open ones are still served.
    ASSERT_TRUE(idle.front()->send(get("/Music/a%20b.mp3")));
    EXPECT_EQ(idle.front()->readResponse()->body, song);

    idle.back().reset();
    bool served = false;
    for (int attempt = 0; attempt < 200 && !served; ++attempt) {
        RawHttpConnection next(server->port());
        next.send(get("/Music/a%20b.mp3"));
        const auto response = next.readResponse();
        served = response && response->body == song;
        if (!served) {
            std::this_thread::sleep_for(50ms);
        }
    }
    EXPECT_TRUE(served) << "a client is served once one of the 64 has closed";
}

TEST_F(MediaServerTest, ANewServerCutsTheTransfersOfThePreviousOne)
{
    const std::size_t size = 64 << 20;
    makeBigFile("/Movies/big.mp4", size);
    RawHttpConnection transfer(server->port(), "127.0.0.1", 64 * 1024);
    ASSERT_TRUE(transfer.send(get("/Movies/big.mp4")));
    std::size_t received = 0;
    while (received < (1 << 20)) {
        const std::string some = transfer.readSome(64 * 1024);
        ASSERT_FALSE(some.empty());
        received += some.size();
    }

    const std::uint16_t oldPort = server->port();
    auto next = std::make_unique<MediaServer>(published);
    ASSERT_EQ(next->start(), std::nullopt);
    server = std::move(next);
    EXPECT_NE(server->port(), oldPort);

    received += transfer.drainUntilClosed();
    EXPECT_LT(received, size) << "the transfer in progress is cut";
    EXPECT_FALSE(RawHttpConnection(oldPort).isConnected()) << "the old port no longer takes connections";
    const auto response = fetchOnce(server->port(), get("/Movies/big.mp4", "Range: bytes=-5\r\n"));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 206);
}

TEST_F(MediaServerTest, AFileThatShrinksCutsOnlyItsOwnTransfer)
{
    const std::size_t size = 32 << 20;
    makeBigFile("/Movies/big.mp4", size);
    RawHttpConnection transfer(server->port(), "127.0.0.1", 64 * 1024);
    ASSERT_TRUE(transfer.send(get("/Movies/big.mp4")));
    const auto head = transfer.readResponse(true);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->header("Content-Length"), std::to_string(size));
    std::filesystem::resize_file(home.home() + "/Movies/big.mp4", 1 << 20);
    EXPECT_LT(transfer.drainUntilClosed(), size) << "the connection closes when the file ends early";
    const auto other = fetchOnce(server->port(), get("/Music/a%20b.mp3"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->body, song);
}

std::size_t residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::stoul(line.substr(6));
        }
    }
    return 0;
}

TEST_F(MediaServerTest, ASlowReaderDoesNotMakeTheServerHoldTheFile)
{
    const std::size_t size = 128 << 20;
    makeBigFile("/Movies/big.mp4", size);
    std::vector<std::unique_ptr<RawHttpConnection>> readers;
    const std::size_t before = residentKiB();
    for (int i = 0; i < 4; ++i) {
        readers.push_back(std::make_unique<RawHttpConnection>(server->port(), "127.0.0.1", 32 * 1024));
        ASSERT_TRUE(readers.back()->send(get("/Movies/big.mp4")));
    }
    // Read a little, slowly, and leave the server time to read ahead if it would.
    for (int round = 0; round < 20; ++round) {
        for (auto& reader : readers) {
            ASSERT_FALSE(reader->readSome(16 * 1024).empty());
        }
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(300ms);
    const std::size_t grown = residentKiB() - std::min(before, residentKiB());
    EXPECT_LT(grown, 24U * 1024) << "resident memory grew by " << grown << " KiB while four readers lagged";
}

} // namespace
