#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/HttpRequestMessage.h"
#include "diagnostics/RequestDump.h"
#include "pairing/PinPairing.h"

void AppDelegate::post(const QString& resource, const QByteArray& body, const HeaderFields& headers)
{
    prepareRequest(QStringLiteral("POST"), resource, body, headers);
}

void AppDelegate::prepareRequest(const QString& method, const QString& resource, const QByteArray& body,
                                 const HeaderFields& headers)
{
    HttpRequestMessage message(method.toUtf8(), resource.toUtf8());
    if (!body.isNull()) {
        message.setBody(body);
    }
    sendRequest(message, headers);
}

void AppDelegate::sendRequest(HttpRequestMessage& message, const HeaderFields& headers)
{
    message.setHeader(QByteArrayLiteral("X-Apple-Device-ID"), PinPairing::deviceIdentifier);
    for (const auto& [name, value] : headers) {
        message.setHeader(name, value);
    }
    printHTTPMessage(message);
    m_clientManager.sendRawData(message.serialise());
}

void AppDelegate::printHTTPMessage(const HttpRequestMessage& message)
{
    ::printHTTPMessage(QString::fromUtf8(message.method()), QString::fromUtf8(message.target()), message.headers());
}
