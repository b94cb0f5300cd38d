#include "airplay/ResponseDispatcher.h"

#include "airplay/ClientManagerDelegate.h"
#include "airplay/HttpResponse.h"
#include "diagnostics/SystemLog.h"

#include <QRegularExpression>
#include <QTimer>

#include <plist/plist.h>

#include <memory>

namespace {

constexpr int pinPanelDelayMs = 1000;
constexpr quint64 passwordAttempts = 5;

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistFree>;

std::optional<QByteArray> dataValue(plist_t dictionary, const char* key)
{
    plist_t node = plist_dict_get_item(dictionary, key);
    if (!node || plist_get_node_type(node) != PLIST_DATA) {
        return std::nullopt;
    }
    uint64_t length = 0;
    const char* bytes = plist_get_data_ptr(node, &length);
    return QByteArray(bytes, static_cast<qsizetype>(length));
}

QString describe(plist_t root)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    QString text = QString::fromUtf8(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);
    return text;
}

// The nonce of a Digest challenge: the nonce parameter of WWW-Authenticate, a quoted string
// or a token.
std::optional<QString> challengeNonce(const HttpResponse& response)
{
    const auto challenge = response.header("WWW-Authenticate");
    if (!challenge) {
        return std::nullopt;
    }
    static const QRegularExpression nonceParameter(
        QStringLiteral(R"re((?:^|[\s,])nonce\s*=\s*(?:"((?:[^"\\]|\\.)*)"|([^\s,]+)))re"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = nonceParameter.match(QString::fromUtf8(*challenge));
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    if (match.capturedStart(1) >= 0) {
        static const QRegularExpression escape(QStringLiteral(R"re(\\(.))re"));
        return match.captured(1).replace(escape, QStringLiteral("\\1"));
    }
    return match.captured(2);
}

// What remains of the text after its last "=", less every CR, LF and double quote: the
// nonce when it is the last parameter of the response and holds no "=" itself.
QString nonceAfterLastEquals(const QString& text)
{
    QString nonce = text.mid(text.lastIndexOf(QLatin1Char('=')) + 1);
    nonce.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char('"'));
    return nonce;
}

} // namespace

const QByteArray ResponseDispatcher::pinStartRequest = QByteArrayLiteral(
    "POST /pair-pin-start HTTP/1.1 \r\n"
    "User-Agent: iTunes/10.6 (Macintosh; Intel Mac OS X 10.7.3) AppleWebKit/535.18.5\r\n"
    "Content-Type: text/parameters\r\n"
    "\r\n");

ResponseDispatcher::ResponseDispatcher(ClientManagerDelegate& controller, Sender send, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_send(std::move(send))
{
}

void ResponseDispatcher::dispatch(const QByteArray& block)
{
    const HttpResponse response = HttpResponse::parse(block);
    systemLog(response.text().isNull() ? QStringLiteral("(null)") : response.text());

    if (response.isHeaderComplete() && !response.isIncomplete() && response.declaredLength() > 0) {
        bodyStep(response);
    }
    textStep(response);
}

void ResponseDispatcher::bodyStep(const HttpResponse& response)
{
    const QByteArray contentType = response.header("Content-Type").value_or(QByteArray());
    if (contentType == "application/x-apple-binary-plist") {
        propertyListStep(response.body());
    } else if (contentType == "application/octet-stream") {
        systemLog(QStringLiteral("application/octet-stream received."));
        m_controller.doPairVerify2WithData(response.body());
    }
}

void ResponseDispatcher::propertyListStep(const QByteArray& body)
{
    plist_t parsed = nullptr;
    plist_from_memory(body.constData(), static_cast<uint32_t>(body.size()), &parsed);
    const Plist root(parsed);
    if (!root) {
        systemLog(QStringLiteral("Property list answer of %1 bytes cannot be read").arg(body.size()));
        return;
    }
    systemLog(describe(root.get()));
    if (plist_get_node_type(root.get()) != PLIST_DICT) {
        return;
    }
    const auto has = [&](const char* key) { return plist_dict_get_item(root.get(), key) != nullptr; };

    if (has("pk") && has("salt")) {
        systemLog(QStringLiteral("pk and salt received!"));
        const auto pk = dataValue(root.get(), "pk");
        const auto salt = dataValue(root.get(), "salt");
        if (pk && salt) {
            m_controller.doPairSetupPin2WithServerPublicKey(*pk, *salt);
        }
    } else if (has("proof")) {
        systemLog(QStringLiteral("proof received!"));
        if (const auto proof = dataValue(root.get(), "proof")) {
            m_controller.doPairSetupPin3WithServerProof(*proof);
        }
    } else if (has("epk") && has("authTag")) {
        systemLog(QStringLiteral("epk and authTag received!"));
        if (dataValue(root.get(), "epk") && dataValue(root.get(), "authTag")) {
            m_controller.doPairVerify1();
        }
    }
}

void ResponseDispatcher::textStep(const HttpResponse& response)
{
    const QString& text = response.text();
    if (text.contains(QLatin1String("HTTP/1.1 200 OK"))) {
        onSuccess(text);
    } else if (text.contains(QLatin1String("Forbidden"))) {
        onForbidden();
    } else if (text.contains(QLatin1String("Unauthorize"))) {
        onUnauthorized(response);
    } else {
        m_controller.addToLog(text);
    }
}

void ResponseDispatcher::onSuccess(const QString& text)
{
    if (text.contains(QLatin1String("duration"))) {
        const qsizetype lastLineEnd = text.lastIndexOf(QLatin1String("\r\n"));
        const QString body = lastLineEnd < 0 ? text : text.mid(lastLineEnd + 2);
        const QStringList pieces = body.split(QLatin1Char('\n'));
        if (pieces.size() >= 2) {
            QString duration = pieces[0];
            QString position = pieces[1];
            m_controller.updateSongProgress(duration.remove(QLatin1String("duration: ")),
                                            position.remove(QLatin1String("position: ")));
        }
    } else {
        m_controller.addToLog(text);
    }

    const QString commandType = m_controller.commandType();
    if (commandType == QLatin1String("PlayCommand")) {
        m_controller.GetPlayBackProcess();
    } else if (commandType == QLatin1String("AuthCommand")) {
        systemLog(QStringLiteral("Auth Success"));
        m_controller.setIsAuthorized(true);
        m_controller.StartPlayingMusic(m_controller.currentlyPlayingSongID());
    }
}

void ResponseDispatcher::onForbidden()
{
    m_controller.addToLog(QStringLiteral("Forbidden"));
    m_send(pinStartRequest);
    QTimer::singleShot(pinPanelDelayMs, this, [this] {
        if (!m_controller.isPassOpened()) {
            m_controller.setIsPassOpened(true);
            m_controller.openPinEnter();
        }
    });
}

void ResponseDispatcher::onUnauthorized(const HttpResponse& response)
{
    m_controller.setIsAuthorized(false);
    const QString nonce = challengeNonce(response).value_or(nonceAfterLastEquals(response.text()));
    m_controller.setNounce(nonce);
    const quint64 failures = m_controller.failTimeCount() + 1;
    m_controller.setFailTimeCount(failures);

    if (failures < passwordAttempts) {
        const QString password = m_controller.passWord();
        if (!password.isNull()) {
            m_controller.authorize(nonce, password);
        } else {
            m_controller.openPinEnter();
        }
    } else {
        m_controller.showAlert(QStringLiteral("Invalid Passcode"));
        m_controller.openPinEnter();
    }
}
