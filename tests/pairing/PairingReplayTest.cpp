// The pairing steps replayed against one recorded pairing with a real Apple TV: with the
// recorded secrets, every body Orvanta sends equals the recording.
#include "crypto/RandomSource.h"
#include "crypto/srp_client.h"
#include "pairing/PairingDelegate.h"
#include "pairing/PinPairing.h"
#include "support/CapturedStderr.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstring>
#include <map>

namespace {

// Hands out given bytes in order; fails once they run out.
class ReplayedRandom : public RandomSource
{
public:
    explicit ReplayedRandom(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    bool fill(uint8_t* buffer, size_t length) override
    {
        if (static_cast<size_t>(m_bytes.size() - m_used) < length) {
            return false;
        }
        memcpy(buffer, m_bytes.constData() + m_used, length);
        m_used += static_cast<qsizetype>(length);
        return true;
    }

private:
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

struct Post
{
    QString resource;
    QByteArray body;
    HeaderFields headers;
};

// The controller's side of pairing, recording what would be sent.
class RecordingDelegate : public PairingDelegate
{
public:
    QString passWord() const override { return password; }
    SRPUser* user() const override { return m_user; }
    void setUser(SRPUser* user) override
    {
        srp_client_destroy(m_user);
        m_user = user;
    }
    ~RecordingDelegate() override { srp_client_destroy(m_user); }
    const QByteArray& privateKey1Data() const override { return keys[0]; }
    void setPrivateKey1Data(const QByteArray& key) override { keys[0] = key; }
    const QByteArray& publicKey1Data() const override { return keys[1]; }
    void setPublicKey1Data(const QByteArray& key) override { keys[1] = key; }
    const QByteArray& privateKey2Data() const override { return keys[2]; }
    void setPrivateKey2Data(const QByteArray& key) override { keys[2] = key; }
    const QByteArray& publicKey2Data() const override { return keys[3]; }
    void setPublicKey2Data(const QByteArray& key) override { keys[3] = key; }
    void setCommandType(const QString& type) override { commandType = type; }
    void setIsPassOpened(bool opened) override { passOpened = opened; }
    void post(const QString& resource, const QByteArray& body, const HeaderFields& headers) override
    {
        posts.append({resource, body, headers});
    }
    void addToLog(const QString& text) override { log << text; }
    void showAlert(const QString& text) override { alerts << text; }

    QString password;
    QByteArray keys[4];
    QString commandType;
    bool passOpened = true;
    QList<Post> posts;
    QStringList log;
    QStringList alerts;

private:
    SRPUser* m_user = nullptr;
};

// The values of a property list body: data as hex, text as it is.
std::map<std::string, std::string> propertyList(const QByteArray& body)
{
    plist_t root = nullptr;
    plist_from_memory(body.constData(), static_cast<uint32_t>(body.size()), &root);
    std::map<std::string, std::string> values;
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return values;
    }
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root, &it);
    for (;;) {
        char* key = nullptr;
        plist_t node = nullptr;
        plist_dict_next_item(root, it, &key, &node);
        if (!key) {
            break;
        }
        if (plist_get_node_type(node) == PLIST_DATA) {
            uint64_t length = 0;
            const char* data = plist_get_data_ptr(node, &length);
            values[key] = QByteArray(data, static_cast<qsizetype>(length)).toHex().toStdString();
        } else if (plist_get_node_type(node) == PLIST_STRING) {
            char* text = nullptr;
            plist_get_string_val(node, &text);
            values[key] = text;
            free(text);
        }
        free(key);
    }
    free(it);
    plist_free(root);
    return values;
}

QSet<QByteArray> headerNames(const HeaderFields& headers)
{
    QSet<QByteArray> names;
    for (const auto& [name, value] : headers) {
        names.insert(name);
    }
    return names;
}

QByteArray header(const HeaderFields& headers, const QByteArray& name)
{
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

class RecordedPairing : public testing::Test
{
protected:
    void SetUp() override
    {
        QFile file(QStringLiteral(PAIRING_RECORDING));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "cannot read the recorded pairing " << PAIRING_RECORDING;
        recording = QJsonDocument::fromJson(file.readAll()).object();
        ASSERT_FALSE(recording.isEmpty());
    }

    QByteArray hex(const char* section, const char* step, const char* key) const
    {
        return QByteArray::fromHex(text(section, step, key).toLatin1());
    }
    QByteArray input(const char* key) const
    {
        return QByteArray::fromHex(text("inputs", key).toLatin1());
    }
    QString text(const char* section, const char* key) const
    {
        return recording[QLatin1String(section)].toObject()[QLatin1String(key)].toString();
    }
    QString text(const char* section, const char* step, const char* key) const
    {
        return recording[QLatin1String(section)].toObject()[QLatin1String(step)].toObject()[QLatin1String(key)].toString();
    }
    std::string hexText(const char* section, const char* step, const char* key) const
    {
        return hex(section, step, key).toHex().toStdString();
    }

    QJsonObject recording;
};

TEST_F(RecordedPairing, EveryBodyEqualsTheRecording)
{
    RecordingDelegate controller;
    controller.password = text("inputs", "pin");
    ReplayedRandom random(input("srp_secret_a_hex") + input("x25519_secret_hex"));
    const QByteArray seed = input("ed25519_seed_hex");
    PinPairing pairing(controller, random, text("inputs", "srp_username").toUtf8(),
                       [seed] { return seed; });

    pairing.PairPinStart();
    ASSERT_EQ(controller.posts.size(), 1);
    EXPECT_EQ(controller.posts[0].resource, "/pair-setup-pin");
    EXPECT_EQ(propertyList(controller.posts[0].body),
              (std::map<std::string, std::string>{{"method", "pin"},
                                                  {"user", text("inputs", "srp_username").toStdString()}}));
    EXPECT_EQ(headerNames(controller.posts[0].headers), QSet<QByteArray>{"Content-Length"});

    pairing.doPairSetupPin2WithServerPublicKey(hex("pair_setup", "step1_response", "pk_hex"),
                                               hex("pair_setup", "step1_response", "salt_hex"));
    ASSERT_EQ(controller.posts.size(), 2);
    EXPECT_EQ(propertyList(controller.posts[1].body),
              (std::map<std::string, std::string>{{"pk", hexText("pair_setup", "step2_request", "pk_hex")},
                                                  {"proof", hexText("pair_setup", "step2_request", "proof_hex")}}));
    EXPECT_EQ(header(controller.posts[1].headers, "Content-Type"), "application/x-apple-binary-plist");

    pairing.doPairSetupPin3WithServerProof(hex("pair_setup", "step2_response", "proof_hex"));
    ASSERT_EQ(controller.posts.size(), 3) << controller.alerts.join(' ').toStdString();
    EXPECT_EQ(propertyList(controller.posts[2].body),
              (std::map<std::string, std::string>{{"epk", hexText("pair_setup", "step3_request", "epk_hex")},
                                                  {"authTag", hexText("pair_setup", "step3_request", "authTag_hex")}}));
    EXPECT_EQ(header(controller.posts[2].headers, "Content-Length"), QByteArray::number(controller.posts[2].body.size()));
    EXPECT_EQ(controller.privateKey1Data().size(), 64);

    pairing.doPairVerify1();
    ASSERT_EQ(controller.posts.size(), 4);
    EXPECT_EQ(controller.posts[3].resource, "/pair-verify");
    EXPECT_EQ(controller.posts[3].body.toHex(), text("pair_verify", "step1_request_hex").toLatin1());
    EXPECT_EQ(header(controller.posts[3].headers, "Content-Type"), "application/octet-stream");
    EXPECT_TRUE(controller.commandType.isNull());

    pairing.doPairVerify2WithData(
        QByteArray::fromHex(text("pair_verify", "step1_response_hex").toLatin1()));
    ASSERT_EQ(controller.posts.size(), 5);
    EXPECT_EQ(controller.posts[4].body.toHex(), text("pair_verify", "step2_request_hex").toLatin1());
    EXPECT_EQ(header(controller.posts[4].headers, "Content-Length"), "68");
    EXPECT_EQ(controller.commandType, "AuthCommand");

    EXPECT_EQ(controller.log, (QStringList{"pair pin start", "confirm Pin", "doPairSetupPin2WithServerPublicKey",
                                           "doPairSetupPin3WithServerProof", "doPairVerify1", "doPairVerify2WithData"}));
}

TEST_F(RecordedPairing, OnlyTheFirstFourBytesOfAPinCount)
{
    RecordingDelegate controller;
    controller.password = text("inputs", "pin") + QStringLiteral("99");
    ReplayedRandom random(input("srp_secret_a_hex"));
    PinPairing pairing(controller, random, text("inputs", "srp_username").toUtf8());
    pairing.PairPinStart();
    pairing.doPairSetupPin2WithServerPublicKey(hex("pair_setup", "step1_response", "pk_hex"),
                                               hex("pair_setup", "step1_response", "salt_hex"));
    ASSERT_EQ(controller.posts.size(), 2);
    EXPECT_EQ(propertyList(controller.posts[1].body)["proof"], hexText("pair_setup", "step2_request", "proof_hex"));
}

TEST_F(RecordedPairing, WrongProofSendsNothingAndSaysSo)
{
    RecordingDelegate controller;
    controller.password = QStringLiteral("1234");
    ReplayedRandom random(input("srp_secret_a_hex"));
    PinPairing pairing(controller, random, text("inputs", "srp_username").toUtf8());
    pairing.PairPinStart();
    pairing.doPairSetupPin2WithServerPublicKey(hex("pair_setup", "step1_response", "pk_hex"),
                                               hex("pair_setup", "step1_response", "salt_hex"));
    CapturedStderr errors;
    pairing.doPairSetupPin3WithServerProof(hex("pair_setup", "step2_response", "proof_hex"));
    EXPECT_EQ(controller.posts.size(), 2);
    EXPECT_TRUE(errors.text().contains("Server authentication failed"));
    EXPECT_EQ(controller.alerts.size(), 1);
    EXPECT_FALSE(controller.passOpened) << "the next refusal opens the PIN panel again";
}

class PairingSteps : public testing::Test
{
protected:
    RecordingDelegate controller;
    PinPairing pairing{controller, systemRandomSource()};
};

TEST_F(PairingSteps, PinShorterThanFourBytesIsRefusedWithAnAlert)
{
    controller.password = QStringLiteral("227");
    pairing.PairPinStart();
    EXPECT_TRUE(controller.posts.isEmpty());
    EXPECT_EQ(controller.user(), nullptr);
    ASSERT_EQ(controller.alerts.size(), 1);
    EXPECT_TRUE(controller.alerts[0].contains("four digits"));
}

TEST_F(PairingSteps, SetupAnswersWithoutAPairingUnderWayAreIgnored)
{
    pairing.doPairSetupPin2WithServerPublicKey(QByteArray(256, '\x05'), QByteArray(16, '\x01'));
    pairing.doPairSetupPin3WithServerProof(QByteArray(20, '\x01'));
    EXPECT_TRUE(controller.posts.isEmpty());
}

TEST_F(PairingSteps, VerifyAnswersThatAreTooShortSendNothing)
{
    controller.password = QStringLiteral("0000");
    controller.setPublicKey1Data(QByteArray(32, '\x01'));
    controller.setPrivateKey1Data(QByteArray(64, '\x02'));
    pairing.doPairVerify1();
    ASSERT_EQ(controller.posts.size(), 1);

    CapturedStderr errors;
    pairing.doPairVerify2WithData(QByteArray(31, '\x07'));
    pairing.doPairVerify2WithData(QByteArray(95, '\x07'));
    EXPECT_EQ(controller.posts.size(), 1);
    EXPECT_TRUE(errors.text().contains("holds no public value")) << errors.text().toStdString();
    EXPECT_TRUE(errors.text().contains("Failed to encrypt: -2")) << errors.text().toStdString();
    EXPECT_TRUE(controller.commandType.isNull());

    pairing.doPairVerify2WithData(QByteArray(32, '\x09') + QByteArray(64, '\xff'));
    ASSERT_EQ(controller.posts.size(), 2) << "a signature that does not check out is not looked at";
    EXPECT_EQ(controller.posts[1].body.size(), 68);
    EXPECT_TRUE(controller.posts[1].body.startsWith(QByteArray(4, '\0')));
}

TEST_F(PairingSteps, EachPairingMakesNewKeys)
{
    controller.setPublicKey1Data(QByteArray(32, '\x01'));
    pairing.doPairVerify1();
    const QByteArray first = controller.publicKey2Data();
    pairing.doPairVerify1();
    EXPECT_NE(controller.publicKey2Data(), first);
    EXPECT_EQ(controller.posts[0].body.left(4), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(controller.posts[0].body.size(), 68);
}

TEST(RandomString, DrawsFromTheAlphabetOnly)
{
    const QString text = PinPairing::randomStringWithLength(4000, systemRandomSource());
    ASSERT_EQ(text.size(), 4000);
    QSet<QChar> seen;
    for (const QChar c : text) {
        ASSERT_TRUE(QStringLiteral("abcdef0123456789").contains(c));
        seen.insert(c);
    }
    EXPECT_EQ(seen.size(), 16);
    EXPECT_TRUE(PinPairing::randomStringWithLength(0, systemRandomSource()).isEmpty());
    EXPECT_TRUE(PinPairing::randomStringWithLength(-3, systemRandomSource()).isEmpty());
}

} // namespace
