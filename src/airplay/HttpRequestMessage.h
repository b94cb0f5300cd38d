#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// A request of the structured path: method, request target exactly as given, header fields
// in the order they were first set (setting a name again, in any case, replaces its value),
// and an optional body. Serialised as "METHOD SP target SP HTTP/1.1 CRLF", one
// "Name: value CRLF" a field, the empty line and the body; nothing else is added.
class HttpRequestMessage
{
public:
    HttpRequestMessage(QByteArray method, QByteArray target);

    void setHeader(const QByteArray& name, const QByteArray& value);
    void setBody(const QByteArray& body) { m_body = body; }

    const QByteArray& method() const { return m_method; }
    const QByteArray& target() const { return m_target; }
    const QList<QPair<QByteArray, QByteArray>>& headers() const { return m_headers; }
    const QByteArray& body() const { return m_body; }

    QByteArray serialise() const;

private:
    QByteArray m_method;
    QByteArray m_target;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
};
