#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

class ClientManagerDelegate;
class HttpResponse;

// The one place where the system reacts to the Apple TV. Each whole response goes first
// through the body step (pairing data by Content-Type and property-list keys), then through
// the text step (status text, progress figures, refusals and challenges), both on the same
// response; what follows is decided from the response itself and from the controller's
// commandType.
class ResponseDispatcher : public QObject
{
    Q_OBJECT

public:
    using Sender = std::function<void(const QByteArray&)>;

    static const QByteArray pinStartRequest;

    ResponseDispatcher(ClientManagerDelegate& controller, Sender send, QObject* parent = nullptr);

    void dispatch(const QByteArray& block);

private:
    void bodyStep(const HttpResponse& response);
    void propertyListStep(const QByteArray& body);
    void textStep(const HttpResponse& response);
    void onSuccess(const QString& text);
    void onForbidden();
    void onUnauthorized(const HttpResponse& response);

    ClientManagerDelegate& m_controller;
    Sender m_send;
};
