#include "airplay/ResponseFramer.h"

#include "airplay/HttpResponse.h"

namespace {

const QByteArray statusLineStart = QByteArrayLiteral("HTTP/");

// Length of the longest end of `bytes` that could be the start of a status line.
qsizetype partialStatusLineStart(const QByteArray& bytes)
{
    for (qsizetype length = std::min(bytes.size(), statusLineStart.size() - 1); length > 0; --length) {
        if (statusLineStart.startsWith(bytes.right(length))) {
            return length;
        }
    }
    return 0;
}

} // namespace

void ResponseFramer::append(const QByteArray& bytes)
{
    if (!m_broken) {
        m_buffer.append(bytes);
    }
}

std::optional<QByteArray> ResponseFramer::takeResponse()
{
    if (m_broken || m_buffer.isEmpty()) {
        return std::nullopt;
    }
    if (!m_buffer.startsWith(statusLineStart)) {
        return takeUnframed();
    }

    const qsizetype headerEnd = m_buffer.indexOf("\r\n\r\n", std::max<qsizetype>(0, m_searched - 3));
    if (headerEnd < 0) {
        m_searched = m_buffer.size();
        if (m_buffer.size() > maxHeaderBytes) {
            return breakStream();
        }
        return std::nullopt;
    }
    const qint64 length = HttpResponse::parse(m_buffer.left(headerEnd + 4)).declaredLength();
    if (length < 0 || length > maxBodyBytes) {
        return breakStream();
    }
    const qsizetype total = headerEnd + 4 + static_cast<qsizetype>(length);
    if (m_buffer.size() < total) {
        return std::nullopt;
    }
    QByteArray response = m_buffer.left(total);
    m_buffer.remove(0, total);
    m_searched = 0;
    return response;
}

std::optional<QByteArray> ResponseFramer::takeUnframed()
{
    if (statusLineStart.startsWith(m_buffer)) {
        return std::nullopt;
    }
    qsizetype end = m_buffer.indexOf(statusLineStart, 1);
    if (end < 0) {
        end = m_buffer.size() - partialStatusLineStart(m_buffer);
    }
    QByteArray unframed = m_buffer.left(end);
    m_buffer.remove(0, end);
    m_searched = 0;
    return unframed;
}

std::optional<QByteArray> ResponseFramer::breakStream()
{
    m_broken = true;
    QByteArray rest;
    rest.swap(m_buffer);
    return rest;
}
