// Orvanta without its window against the simulated Apple TV: PIN pairing and password
// authorization end to end, and the bytes the Apple TV receives.
#include "AtvSimProcess.h"
#include "airplay/URLPanel.h"
#include "support/CapturedStderr.h"
#include "support/EventLoop.h"
#include "support/HeadlessOrvanta.h"
#include "support/RecordedRequests.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QByteArray deviceHeader = "X-Apple-Device-ID: 02:6f:72:76:61:6e\r\n";
const QByteArray stopRequest = "POST /stop HTTP/1.1\r\n"
                               "User-Agent: iTunes/12.7 (Macintosh; Intel Mac OS X 10.13.1) AppleWebKit/535.18.5\r\n"
                               "Content-Length: 0\r\n"
                               "Content-Type: text/parameters\r\n"
                               "\r\n";

// The bytes of every request the simulated Apple TV recorded, in order.
QList<QByteArray> recordedRequests(const QString& path)
{
    QList<QByteArray> requests;
    for (const RecordedRequest& request : readRecordedRequests(path)) {
        requests << request.bytes;
    }
    return requests;
}

QString md5(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

ScriptedPrompter::PanelAnswer typeThePinShown(AtvSimProcess& sim, const char* instead = nullptr)
{
    return [&sim, instead](URLPanel& panel) {
        const auto line = sim.waitForLine("PIN ", 5s);
        ASSERT_TRUE(line.has_value()) << "the Apple TV showed no PIN";
        panel.urlField = instead ? QString::fromLatin1(instead) : QString::fromStdString(line->substr(4));
        panel.onOpenUrl();
    };
}

class PairingWithSim : public testing::TestWithParam<std::vector<std::string>>
{
protected:
    bool start(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.end(), {"--record", record.toStdString()});
        if (!sim.start(arguments)) {
            ADD_FAILURE() << sim.error();
            return false;
        }
        orvanta.launch();
        return orvanta.connectTo(sim.port());
    }

    QTemporaryDir dir;
    QString record = dir.filePath(QStringLiteral("requests.jsonl"));
    AtvSimProcess sim;
    HeadlessOrvanta orvanta;
};

TEST_P(PairingWithSim, PinShownByTheAppleTvPairsAndAuthorizes)
{
    std::vector<std::string> arguments{"--auth", "pin"};
    arguments.insert(arguments.end(), GetParam().begin(), GetParam().end());
    ASSERT_TRUE(start(arguments));
    orvanta.prompter.entryPanelAnswers.push_back(typeThePinShown(sim));

    CapturedStderr errors;
    orvanta.controller.stop();
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.isAuthorized(); }, 20s)) << errors.text().toStdString();
    EXPECT_TRUE(errors.text().contains("Auth Success"));
    EXPECT_TRUE(sim.waitForLine("PAIRED ", 1s).has_value());
    EXPECT_EQ(orvanta.prompter.entryPanelShowings, 1);
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty()) << orvanta.prompter.alerts.join('|').toStdString();
    EXPECT_EQ(orvanta.controller.privateKey1Data().size(), 64);
    EXPECT_EQ(orvanta.controller.publicKey2Data().size(), 32);
}

INSTANTIATE_TEST_SUITE_P(Framing, PairingWithSim,
                         testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--fragment", "3"},
                                         std::vector<std::string>{"--coalesce"}),
                         [](const testing::TestParamInfo<std::vector<std::string>>& test) {
                             return test.index == 0 ? std::string("whole_answers")
                                                    : test.index == 1 ? std::string("answers_in_three_pieces")
                                                                      : std::string("answers_held_together");
                         });

class PairingBytes : public PairingWithSim
{
};

TEST_F(PairingBytes, TheAppleTvReceivesTheCatalogueByteForByte)
{
    ASSERT_TRUE(start({"--auth", "pin"}));
    orvanta.prompter.entryPanelAnswers.push_back(typeThePinShown(sim));
    orvanta.controller.stop();
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.isAuthorized(); }, 20s));

    const QList<QByteArray> requests = recordedRequests(record);
    ASSERT_EQ(requests.size(), 7);
    EXPECT_EQ(requests[0], stopRequest);
    EXPECT_EQ(requests[1], "POST /pair-pin-start HTTP/1.1 \r\n"
                           "User-Agent: iTunes/10.6 (Macintosh; Intel Mac OS X 10.7.3) AppleWebKit/535.18.5\r\n"
                           "Content-Type: text/parameters\r\n"
                           "\r\n");
    const auto head = [](const QByteArray& request) { return request.left(request.indexOf("\r\n\r\n") + 4); };
    const auto body = [](const QByteArray& request) { return request.mid(request.indexOf("\r\n\r\n") + 4); };
    EXPECT_EQ(head(requests[2]), "POST /pair-setup-pin HTTP/1.1\r\n" + deviceHeader + "Content-Length: "
                                     + QByteArray::number(body(requests[2]).size()) + "\r\n\r\n");
    for (const int step : {3, 4}) {
        EXPECT_EQ(head(requests[step]), "POST /pair-setup-pin HTTP/1.1\r\n" + deviceHeader
                                            + "Content-Type: application/x-apple-binary-plist\r\nContent-Length: "
                                            + QByteArray::number(body(requests[step]).size()) + "\r\n\r\n");
        EXPECT_TRUE(body(requests[step]).startsWith("bplist00"));
    }
    for (const int step : {5, 6}) {
        EXPECT_EQ(head(requests[step]), "POST /pair-verify HTTP/1.1\r\n" + deviceHeader
                                            + "Content-Type: application/octet-stream\r\nContent-Length: 68\r\n\r\n");
        EXPECT_EQ(body(requests[step]).size(), 68);
    }
    EXPECT_EQ(body(requests[5]).left(4), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(body(requests[6]).left(4), QByteArray(4, '\0'));
}

TEST_F(PairingBytes, WrongPinIsToldAndDoesNotAuthorize)
{
    ASSERT_TRUE(start({"--auth", "pin", "--pin", "2468", "--wrong-pin-reply", "proof"}));
    orvanta.prompter.entryPanelAnswers.push_back(typeThePinShown(sim, "1357"));
    CapturedStderr errors;
    orvanta.controller.stop();
    ASSERT_TRUE(waitUntil([&errors] { return errors.text().contains("Server authentication failed"); }, 20s));
    runEventLoop(300ms);
    EXPECT_FALSE(orvanta.controller.isAuthorized());
    ASSERT_EQ(orvanta.prompter.alerts.size(), 1);
    EXPECT_TRUE(orvanta.prompter.alerts[0].contains("did not accept the PIN"));
    EXPECT_EQ(recordedRequests(record).size(), 4) << "nothing is sent after the refused proof";
}

TEST_F(PairingBytes, RightPasswordAuthorizes)
{
    ASSERT_TRUE(start({"--auth", "password", "--password", "s\u00e9same"}));
    orvanta.prompter.entryPanelAnswers.push_back(ScriptedPrompter::typeAndSubmit(QStringLiteral("s\u00e9same")));
    orvanta.controller.stop();
    ASSERT_TRUE(waitUntil([this] { return orvanta.controller.isAuthorized(); }, 10s));
    EXPECT_TRUE(sim.waitForLine("AUTHORIZED ", 1s).has_value());
    EXPECT_EQ(orvanta.controller.failTimeCount(), 1u);

    const QString nonce = orvanta.controller.nounce();
    const QString response = md5(md5(QStringLiteral("AirPlay:AirPlay:s\u00e9same")) + ":" + nonce + ":"
                                 + md5(QStringLiteral("POST:/stop")));
    const QList<QByteArray> requests = recordedRequests(record);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[1], QStringLiteral("POST /stop HTTP/1.1 \r\n"
                                          "Host: atv-sim.local:%1\r\n"
                                          "User-Agent: iTunes/12.6.1 (Macintosh; Intel Mac OS X 12.6) "
                                          "AppleWebKit/534.20.8\r\n"
                                          "Content-Length: 0\r\n"
                                          "Authorization: Digest username=\"AirPlay\", realm=\"AirPlay\", "
                                          "nonce=\"%2\", uri=\"/stop\", algorithm=\"MD5\", response=\"%3\"\r\n"
                                          "Content-Type: application/x-apple-binary-plist \r\n"
                                          "\r\n")
                               .arg(sim.port())
                               .arg(nonce, response)
                               .toUtf8());
}

TEST_F(PairingBytes, WrongPasswordIsRetriedUntilTheFifthChallengeThenAskedAgain)
{
    ASSERT_TRUE(start({"--auth", "password", "--password", "secret"}));
    orvanta.prompter.entryPanelAnswers.push_back(ScriptedPrompter::typeAndSubmit(QStringLiteral("guess")));
    orvanta.controller.stop();
    ASSERT_TRUE(waitUntil([this] { return orvanta.prompter.entryPanelShowings == 2; }, 10s));
    EXPECT_EQ(orvanta.controller.failTimeCount(), 5u);
    EXPECT_EQ(orvanta.prompter.alerts, QStringList{"Invalid Passcode"});
    EXPECT_FALSE(orvanta.controller.isAuthorized());
    EXPECT_EQ(recordedRequests(record).size(), 5) << "the stop, then four authorized attempts";
}

} // namespace
