// Arbitrary bytes from a peer, cut into arbitrary reads, through the response framer and the
// dispatcher. Nothing a peer sends may crash the application.
#include "airplay/ClientManagerDelegate.h"
#include "airplay/ResponseDispatcher.h"
#include "airplay/ResponseFramer.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

namespace {

// A controller that accepts every call and keeps the fields the dispatcher reads.
class SinkController : public ClientManagerDelegate
{
public:
    QString commandType() const override { return m_commandType; }
    void setIsAuthorized(bool) override {}
    qint64 currentlyPlayingSongID() const override { return 0; }
    void setNounce(const QString& nonce) override { m_nonce = nonce; }
    quint64 failTimeCount() const override { return m_failures; }
    void setFailTimeCount(quint64 count) override { m_failures = count; }
    QString passWord() const override { return m_password; }
    bool isPassOpened() const override { return false; }
    void setIsPassOpened(bool) override {}
    void setHost(const QString&) override {}
    void setPort(qint64) override {}
    void doPairSetupPin2WithServerPublicKey(const QByteArray&, const QByteArray&) override {}
    void doPairSetupPin3WithServerProof(const QByteArray&) override {}
    void doPairVerify1() override {}
    void doPairVerify2WithData(const QByteArray&) override {}
    void updateSongProgress(const QString&, const QString&) override {}
    void GetPlayBackProcess() override {}
    void StartPlayingMusic(qint64) override {}
    void authorize(const QString&, const QString&) override {}
    void openPinEnter() override {}
    void showAlert(const QString&) override {}
    void addToLog(const QString&) override {}
    void connectionFailed(const QString&, const QString&) override {}

    QString m_commandType;
    QString m_nonce;
    QString m_password;
    quint64 m_failures = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    // The first byte chooses the controller's state, the second the size of the reads.
    SinkController controller;
    const uint8_t state = data[0];
    controller.m_commandType = (state & 1) ? QStringLiteral("PlayCommand")
                               : (state & 2) ? QStringLiteral("AuthCommand")
                                             : QString();
    if (state & 4) {
        controller.m_password = QStringLiteral("secret");
    }
    controller.m_failures = (state >> 3) & 7;
    const size_t readSize = 1 + data[1];
    data += 2;
    size -= 2;

    ResponseDispatcher dispatcher(controller, [](const QByteArray&) {});
    ResponseFramer framer;
    for (size_t at = 0; at < size; at += readSize) {
        const size_t length = std::min(readSize, size - at);
        framer.append(QByteArray(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(length)));
        while (const auto block = framer.takeResponse()) {
            dispatcher.dispatch(*block);
        }
    }
    dispatcher.dispatch(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
