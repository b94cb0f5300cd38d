#include "airplay/HttpRequestMessage.h"

HttpRequestMessage::HttpRequestMessage(QByteArray method, QByteArray target)
    : m_method(std::move(method))
    , m_target(std::move(target))
{
}

void HttpRequestMessage::setHeader(const QByteArray& name, const QByteArray& value)
{
    for (auto& [key, existing] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            existing = value;
            return;
        }
    }
    m_headers.append({name, value});
}

QByteArray HttpRequestMessage::serialise() const
{
    QByteArray bytes = m_method + ' ' + m_target + " HTTP/1.1\r\n";
    for (const auto& [name, value] : m_headers) {
        bytes += name + ": " + value + "\r\n";
    }
    bytes += "\r\n";
    bytes += m_body;
    return bytes;
}
