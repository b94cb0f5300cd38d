// The response dispatcher, fed by a real TCP peer: which controller operations each answer
// leads to, with which arguments, and what is sent back.
#include "RecordingController.h"
#include "support/TcpPeer.h"
#include "airplay/ClientManager.h"
#include "airplay/ResponseDispatcher.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <functional>
#include <map>

namespace {

using namespace std::chrono_literals;

const QByteArray sentinel = "HTTP/1.1 599 Sentinel\r\nContent-Length: 0\r\n\r\n";

QByteArray response(const QByteArray& statusLine, const QList<QByteArray>& headers, const QByteArray& body)
{
    QByteArray bytes = statusLine + "\r\n";
    for (const QByteArray& header : headers) {
        bytes += header + "\r\n";
    }
    return bytes + "\r\n" + body;
}

QByteArray withLength(const QByteArray& statusLine, QList<QByteArray> headers, const QByteArray& body)
{
    headers << "Content-Length: " + QByteArray::number(body.size());
    return response(statusLine, headers, body);
}

// A property list of data values (or, for keys given in `texts`, of strings), binary or XML.
QByteArray propertyList(const std::map<std::string, QByteArray>& values, bool binary = true,
                        const std::map<std::string, std::string>& texts = {})
{
    plist_t dict = plist_new_dict();
    for (const auto& [key, value] : values) {
        plist_dict_set_item(dict, key.c_str(), plist_new_data(value.constData(), static_cast<uint64_t>(value.size())));
    }
    for (const auto& [key, value] : texts) {
        plist_dict_set_item(dict, key.c_str(), plist_new_string(value.c_str()));
    }
    char* bytes = nullptr;
    uint32_t length = 0;
    if (binary) {
        plist_to_bin(dict, &bytes, &length);
    } else {
        plist_to_xml(dict, &bytes, &length);
    }
    QByteArray result(bytes, static_cast<qsizetype>(length));
    free(bytes);
    plist_free(dict);
    return result;
}

QByteArray plistAnswer(const QByteArray& body)
{
    return withLength("HTTP/1.1 200 OK", {"Content-Type: application/x-apple-binary-plist"}, body);
}

const QByteArray progressAnswer = withLength("HTTP/1.1 200 OK", {"Content-Type: text/parameters"},
                                             "duration: 183.000000\nposition: 12.500000");

class DispatcherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        manager.awakeFromNib(&controller);
        QObject::connect(&manager, &ClientManager::test, [this] { ++tests; });
        manager.netServiceDidResolveAddress({"Test TV", "test-tv.local.", peer.port(), "127.0.0.1"});
        ASSERT_TRUE(waitUntil([this] { return peer.connectionCount() == 1 && tests == 1; }));
    }

    // Sends the pieces, then a sentinel answer, and waits until the sentinel was dispatched:
    // everything before it has been dispatched too.
    void deliver(const QList<QByteArray>& pieces)
    {
        peer.send(0, pieces);
        peer.send(0, sentinel);
        ASSERT_TRUE(waitUntil([this] {
            return !controller.logEntries.isEmpty() && controller.logEntries.last().contains("599 Sentinel");
        }));
        controller.logEntries.removeLast();
    }

    void deliver(const QByteArray& bytes) { deliver(QList<QByteArray>{bytes}); }

    RecordingController controller;
    ClientManager manager;
    TcpPeer peer;
    int tests = 0;
};

struct Case
{
    const char* name;
    QList<QByteArray> pieces;
    QString commandType;
    QStringList expectedCalls;
    // Whether the whole answer ends up in the activity log; unset where the answer is binary.
    std::optional<bool> logsAnswer = std::nullopt;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class DispatchTable : public DispatcherTest, public testing::WithParamInterface<Case>
{
};

TEST_P(DispatchTable, LeadsToTheExpectedCalls)
{
    const Case& c = GetParam();
    controller.commandTypeValue = c.commandType;
    controller.currentItem = 2;
    deliver(c.pieces);
    EXPECT_EQ(controller.calls, c.expectedCalls);
    if (c.logsAnswer) {
        EXPECT_EQ(controller.logEntries.contains(QString::fromUtf8(c.pieces.join())), *c.logsAnswer);
    }
}

const QByteArray pk = QByteArray::fromHex("0102030405");
const QByteArray salt = QByteArray::fromHex("a0a1a2");
const QByteArray proof = QByteArray::fromHex("99887766");
const QByteArray verifyReply = QByteArray(32, '\x11') + QByteArray(64, '\x22');

INSTANTIATE_TEST_SUITE_P(
    Answers, DispatchTable,
    testing::Values(
        Case{"progress_while_playing", {progressAnswer}, "PlayCommand",
             {"updateSongProgress(183.000000,12.500000)", "GetPlayBackProcess()"}, false},
        Case{"progress_in_three_reads", {progressAnswer.left(20), progressAnswer.mid(20, 40), progressAnswer.mid(60)},
             "PlayCommand", {"updateSongProgress(183.000000,12.500000)", "GetPlayBackProcess()"}},
        Case{"two_answers_in_one_read", {progressAnswer + progressAnswer}, "PlayCommand",
             {"updateSongProgress(183.000000,12.500000)", "GetPlayBackProcess()",
              "updateSongProgress(183.000000,12.500000)", "GetPlayBackProcess()"}},
        Case{"success_without_command", {withLength("HTTP/1.1 200 OK", {}, "")}, {}, {}, true},
        Case{"success_after_authentication", {withLength("HTTP/1.1 200 OK", {}, "")}, "AuthCommand",
             {"setIsAuthorized(true)", "StartPlayingMusic(2)"}, true},
        Case{"duration_without_a_second_line", {withLength("HTTP/1.1 200 OK", {"X-Note: duration"}, "")},
             "PlayCommand", {"GetPlayBackProcess()"}, false},
        Case{"other_protocol_version_is_no_success", {withLength("HTTP/1.0 200 OK", {}, "")}, "PlayCommand", {},
             true},
        Case{"pk_and_salt", {plistAnswer(propertyList({{"pk", pk}, {"salt", salt}}))}, {},
             {"doPairSetupPin2(0102030405,a0a1a2)"}},
        Case{"pk_and_salt_as_xml", {plistAnswer(propertyList({{"pk", pk}, {"salt", salt}}, false))}, {},
             {"doPairSetupPin2(0102030405,a0a1a2)"}, true},
        Case{"pk_without_salt_falls_to_proof", {plistAnswer(propertyList({{"pk", pk}, {"proof", proof}}))}, {},
             {"doPairSetupPin3(99887766)"}},
        Case{"salt_that_is_text", {plistAnswer(propertyList({{"pk", pk}}, true, {{"salt", "a0"}}))}, {}, {}},
        Case{"proof_that_is_text", {plistAnswer(propertyList({}, true, {{"proof", "x"}}))}, {}, {}},
        Case{"epk_and_auth_tag", {plistAnswer(propertyList({{"epk", pk}, {"authTag", salt}}))}, {},
             {"doPairVerify1()"}},
        Case{"unreadable_property_list", {plistAnswer("bplist00 not really")}, {}, {}},
        Case{"verify_reply", {withLength("HTTP/1.1 200 OK", {"Content-Type: application/octet-stream"}, verifyReply)},
             {}, {"doPairVerify2(" + QString::fromLatin1(verifyReply.toHex()) + ")"}},
        Case{"octet_stream_with_a_parameter",
             {withLength("HTTP/1.1 200 OK", {"Content-Type: application/octet-stream; x=1"}, verifyReply)}, {}, {},
             true},
        Case{"octet_stream_of_length_zero",
             {response("HTTP/1.1 200 OK", {"Content-Type: application/octet-stream", "Content-Length: 0"}, "")}, {},
             {}, true}),
    [](const testing::TestParamInfo<Case>& test) { return std::string(test.param.name); });

TEST_F(DispatcherTest, ForbiddenSendsThePinStartAndOpensThePanelOncePerConnection)
{
    const QByteArray forbidden = withLength("HTTP/1.1 403 Forbidden", {}, "");
    deliver(forbidden);
    EXPECT_EQ(controller.logEntries.last(), "Forbidden");
    ASSERT_TRUE(waitUntil([this] { return peer.received(0) == ResponseDispatcher::pinStartRequest; }));
    EXPECT_EQ(peer.received(0), QByteArray("POST /pair-pin-start HTTP/1.1 \r\n"
                                           "User-Agent: iTunes/10.6 (Macintosh; Intel Mac OS X 10.7.3) "
                                           "AppleWebKit/535.18.5\r\n"
                                           "Content-Type: text/parameters\r\n\r\n"));
    EXPECT_TRUE(controller.calls.isEmpty()) << "the panel opens only a second later";
    ASSERT_TRUE(waitUntil([this] { return controller.calls.contains("openPinEnter()"); }));
    EXPECT_TRUE(controller.passOpened);

    deliver(forbidden);
    ASSERT_TRUE(waitUntil([this] { return peer.received(0) == ResponseDispatcher::pinStartRequest.repeated(2); }));
    runEventLoop(1300ms);
    EXPECT_EQ(controller.calls, QStringList{"openPinEnter()"});
}

const QByteArray challenge = withLength(
    "HTTP/1.1 401 Unauthorized", {R"(WWW-Authenticate: Digest realm="AirPlay", nonce="MTIzNDU2Nzg5MDEyMzQ1Ng==")"},
    "");

TEST_F(DispatcherTest, ChallengeWithoutPasswordOpensThePanel)
{
    deliver(challenge);
    EXPECT_EQ(controller.nonce, "MTIzNDU2Nzg5MDEyMzQ1Ng==");
    EXPECT_EQ(controller.failures, 1u);
    EXPECT_EQ(controller.calls, (QStringList{"setIsAuthorized(false)", "openPinEnter()"}));
}

TEST_F(DispatcherTest, ChallengeWithPasswordAuthorizesAtOnceUntilTheFifthFailure)
{
    controller.password = "secret";
    for (int i = 0; i < 4; ++i) {
        deliver(challenge);
    }
    EXPECT_EQ(controller.calls.count("authorize(MTIzNDU2Nzg5MDEyMzQ1Ng==,secret)"), 4);
    controller.calls.clear();
    deliver(challenge);
    EXPECT_EQ(controller.failures, 5u);
    EXPECT_EQ(controller.calls,
              (QStringList{"setIsAuthorized(false)", "showAlert(Invalid Passcode)", "openPinEnter()"}));
}

TEST_F(DispatcherTest, NonceIsReadFromItsParameterWhereverItStands)
{
    deliver(withLength("HTTP/1.1 401 Unauthorized",
                       {R"(WWW-Authenticate: Digest nonce="a=b\"c", realm="AirPlay")", "Server: AirTunes"}, ""));
    EXPECT_EQ(controller.nonce, R"(a=b"c)");
}

TEST_F(DispatcherTest, AnswerCompletedByALaterReadIsDispatchedOnce)
{
    controller.commandTypeValue = "PlayCommand";
    peer.send(0, progressAnswer.left(progressAnswer.size() - 5), 300ms);
    EXPECT_TRUE(controller.calls.isEmpty());
    deliver(progressAnswer.right(5));
    EXPECT_EQ(controller.calls, (QStringList{"updateSongProgress(183.000000,12.500000)", "GetPlayBackProcess()"}));
}

TEST_F(DispatcherTest, BytesThatAreNoResponseAreLoggedAndTheNextAnswerStillCounts)
{
    controller.commandTypeValue = "PlayCommand";
    deliver(QByteArray("\x01\x02garbage") + progressAnswer);
    EXPECT_EQ(controller.logEntries.last(), QString::fromUtf8("\x01\x02garbage"));
    EXPECT_EQ(controller.calls, (QStringList{"updateSongProgress(183.000000,12.500000)", "GetPlayBackProcess()"}));
}

TEST_F(DispatcherTest, NegativeLengthIsDispatchedAsItStandsAndTheConnectionIsOpenedAgainOnTheNextRequest)
{
    controller.commandTypeValue = "PlayCommand";
    peer.send(0, response("HTTP/1.1 200 OK", {"Content-Length: -5"}, "abc"));
    ASSERT_TRUE(waitUntil([this] { return controller.calls.contains("GetPlayBackProcess()"); }));
    ASSERT_TRUE(waitUntil([this] { return peer.connection(0)->state() == QAbstractSocket::UnconnectedState; }));

    manager.sendRawData("GET /scrub HTTP/1.1 \r\n\r\n");
    ASSERT_TRUE(waitUntil([this] { return peer.connectionCount() == 2 && peer.received(1).size() > 0; }));
    EXPECT_EQ(peer.received(1), "GET /scrub HTTP/1.1 \r\n\r\n");
    EXPECT_EQ(tests, 2);
}

} // namespace
