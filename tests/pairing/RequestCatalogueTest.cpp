// Every request text Orvanta sends, byte for byte.
#include "airplay/ContentHelper.h"
#include "airplay/Digest.h"
#include "airplay/ResponseDispatcher.h"
#include "diagnostics/ActivityLog.h"
#include "support/EventLoop.h"
#include "support/HeadlessOrvanta.h"
#include "support/TcpPeer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString agentA = QStringLiteral("iTunes/12.7 (Macintosh; Intel Mac OS X 10.13.1) AppleWebKit/535.18.5");

struct PlayCase
{
    const char* name;
    QString escapedPath;
    QString urlPath;
};

void PrintTo(const PlayCase& c, std::ostream* out)
{
    *out << c.name;
}

class PlayRequest : public testing::TestWithParam<PlayCase>
{
};

TEST_P(PlayRequest, CarriesTheFileUrlOnTheMediaServer)
{
    QTemporaryDir dir;
    ActivityLog log(dir.filePath(QStringLiteral("textfile.txt")));
    const QString request = ContentHelper::contentForLocalFile(GetParam().escapedPath, QStringLiteral("192.168.1.5"),
                                                               51234, QStringLiteral("living-room.local:7000"),
                                                               QStringLiteral("/home/ann"), log);
    EXPECT_EQ(request, QStringLiteral("POST /play HTTP/1.1\r\n"
                                      "Host:living-room.local:7000\r\n"
                                      "Content-Location: http://192.168.1.5:51234%1\r\n"
                                      "Start-Position: 0\r\n"
                                      "\r\n")
                           .arg(GetParam().urlPath));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PlayRequest,
    testing::Values(PlayCase{"inside_home", "/home/ann/Music/a%20b.mp3", "/Music/a%20b.mp3"},
                    PlayCase{"home_prefix_twice", "/home/ann/x/home/ann/a.mp3", "/x/home/ann/a.mp3"},
                    PlayCase{"outside_home", "/srv/media/a.mp3", "/srv/media/a.mp3"},
                    PlayCase{"home_prefix_inside_the_path", "/mnt/home/ann/a.mp3", "/mnt/home/ann/a.mp3"},
                    PlayCase{"a_longer_name_than_home", "/home/anna/a.mp3", "/home/anna/a.mp3"}),
    [](const testing::TestParamInfo<PlayCase>& test) { return std::string(test.param.name); });

TEST(PlayRequest, HomeThatEscapingChangesIsFoundEscaped)
{
    QTemporaryDir dir;
    ActivityLog log(dir.filePath(QStringLiteral("textfile.txt")));
    const QString path = ContentHelper::escapePath(QStringLiteral("/home/ann smith/Musik/Gr\u00fc\u00dfe?.mp3"));
    EXPECT_EQ(path, QStringLiteral("/home/ann%20smith/Musik/Gr%C3%BC%C3%9Fe%3F.mp3"));
    const QString request = ContentHelper::contentForLocalFile(path, QStringLiteral("[fe80::1]"), 80,
                                                               QStringLiteral("tv:7000"),
                                                               QStringLiteral("/home/ann smith"), log);
    EXPECT_TRUE(request.contains(QStringLiteral("Content-Location: http://[fe80::1]:80/Musik/Gr%C3%BC%C3%9Fe%3F.mp3\r\n")))
        << request.toStdString();
}

TEST(PlayRequest, LocationBlockAndRequestGoToTheActivityLog)
{
    QTemporaryDir dir;
    ActivityLog log(dir.filePath(QStringLiteral("textfile.txt")));
    const QString request = ContentHelper::contentForLocalFile(QStringLiteral("/srv/a.mp3"), QStringLiteral("10.0.0.2"),
                                                               8080, QStringLiteral("tv:7000"),
                                                               QStringLiteral("/home/ann"), log);
    QFile file(log.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("Hello\n\n Content-Location: http://10.0.0.2:8080/srv/a.mp3\r\nStart-Position: 0\r\n\r\n"
                             "\n\n ")
                  + request);
}

TEST(RequestTexts, CommandsCarryBlockA)
{
    const QString blockA = QStringLiteral("User-Agent: ") + agentA
                           + QStringLiteral("\r\nContent-Length: 0\r\nContent-Type: text/parameters\r\n\r\n");
    EXPECT_EQ(ContentHelper::contentForPlay(), QStringLiteral("POST /rate?value=1.000000 HTTP/1.1\r\n") + blockA);
    EXPECT_EQ(ContentHelper::contentForPause(), QStringLiteral("POST /rate?value=0.000000 HTTP/1.1\r\n") + blockA);
    EXPECT_EQ(ContentHelper::contentForStop(), QStringLiteral("POST /stop HTTP/1.1\r\n") + blockA);
    EXPECT_EQ(ContentHelper::prepareCommand(QStringLiteral("POST /x HTTP/1.1\r\n"), QStringLiteral("k=v")),
              QStringLiteral("POST /x HTTP/1.1\r\nUser-Agent: ") + agentA
                  + QStringLiteral("\r\nContent-Length: 3\r\nContent-Type: text/parameters\r\n\r\nk=v"));
}

TEST(RequestTexts, PinStartHasNoHostAndNoLength)
{
    EXPECT_EQ(ResponseDispatcher::pinStartRequest,
              "POST /pair-pin-start HTTP/1.1 \r\n"
              "User-Agent: iTunes/10.6 (Macintosh; Intel Mac OS X 10.7.3) AppleWebKit/535.18.5\r\n"
              "Content-Type: text/parameters\r\n"
              "\r\n");
}

TEST(RequestTexts, HostValueLosesTheLastCharacterOfTheName)
{
    EXPECT_EQ(ContentHelper::hostPortValue(QStringLiteral("living-room.local."), 7000), "living-room.local:7000");
    EXPECT_EQ(ContentHelper::hostPortValue(QStringLiteral("living-room"), 7000), "living-roo:7000");
}

TEST(Digest, AuthorizedStopCarriesTheDigestResponse)
{
    EXPECT_EQ(Digest::generateMD5(QStringLiteral("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Digest::authorizedStopRequest(QStringLiteral("living-room.local:7000"),
                                            QStringLiteral("MTIzNDU2Nzg5MDEyMzQ1Ng=="), QStringLiteral("secret")),
              QStringLiteral("POST /stop HTTP/1.1 \r\n"
                             "Host: living-room.local:7000\r\n"
                             "User-Agent: iTunes/12.6.1 (Macintosh; Intel Mac OS X 12.6) AppleWebKit/534.20.8\r\n"
                             "Content-Length: 0\r\n"
                             "Authorization: Digest username=\"AirPlay\", realm=\"AirPlay\", "
                             "nonce=\"MTIzNDU2Nzg5MDEyMzQ1Ng==\", uri=\"/stop\", algorithm=\"MD5\", "
                             "response=\"6ec256688780ff63a571bbe536b3d947\"\r\n"
                             "Content-Type: application/x-apple-binary-plist \r\n"
                             "\r\n"));
    EXPECT_EQ(Digest::response(QStringLiteral("n0nce"), QStringLiteral("p\u00e4ss")), "73806a4dd4788a47c21b57f38de2fd5d");
}

// The structured path, as the Apple TV receives it.
class StructuredPath : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(orvanta.connectTo(peer.port(), QStringLiteral("tv.local.")));
    }

    QByteArray received()
    {
        waitUntil([this] { return !peer.received(0).isEmpty(); });
        return peer.received(0);
    }

    TcpPeer peer;
    HeadlessOrvanta orvanta;
};

TEST_F(StructuredPath, PostCarriesTheDeviceIdentifierAndTheCallersHeadersOnly)
{
    orvanta.controller.post(QStringLiteral("/pair-setup-pin"), QByteArray("\x00\x01z", 3),
                            {{"Content-Type", "application/x-apple-binary-plist"}, {"Content-Length", "3"}});
    EXPECT_EQ(received(), QByteArray("POST /pair-setup-pin HTTP/1.1\r\n"
                                     "X-Apple-Device-ID: 02:6f:72:76:61:6e\r\n"
                                     "Content-Type: application/x-apple-binary-plist\r\n"
                                     "Content-Length: 3\r\n"
                                     "\r\n")
                              + QByteArray("\x00\x01z", 3));
}

TEST_F(StructuredPath, HeaderOfTheSameNameReplacesTheIdentifier)
{
    orvanta.controller.prepareRequest(QStringLiteral("GET"), QStringLiteral("/info?x=1"), QByteArray(),
                                      {{"x-apple-device-id", "aa:bb:cc:dd:ee:ff"}});
    EXPECT_EQ(received(), "GET /info?x=1 HTTP/1.1\r\nX-Apple-Device-ID: aa:bb:cc:dd:ee:ff\r\n\r\n");
}

TEST_F(StructuredPath, AuthorizeSendsTheAuthorizedStopAndAwaitsItsAnswer)
{
    orvanta.controller.setPort(7000);
    orvanta.controller.authorize(QStringLiteral("MTIzNDU2Nzg5MDEyMzQ1Ng=="), QStringLiteral("secret"));
    EXPECT_EQ(orvanta.controller.commandType(), "AuthCommand");
    EXPECT_EQ(received(), Digest::authorizedStopRequest(QStringLiteral("tv.local:7000"),
                                                        QStringLiteral("MTIzNDU2Nzg5MDEyMzQ1Ng=="),
                                                        QStringLiteral("secret"))
                              .toUtf8());
}

} // namespace
