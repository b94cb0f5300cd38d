#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// One block of bytes from the Apple TV, read as an HTTP response.
class HttpResponse
{
public:
    static HttpResponse parse(const QByteArray& block);

    // The whole block decoded as UTF-8; a null string when the block is not valid UTF-8.
    const QString& text() const { return m_text; }

    // True once the empty line that ends the header block has been read.
    bool isHeaderComplete() const { return m_headerComplete; }

    // True when fewer body bytes arrived than the declared length (a negative declared
    // length is larger than any body).
    bool isIncomplete() const { return m_incomplete; }

    // Header lookup without regard to case; the value with surrounding white space trimmed.
    std::optional<QByteArray> header(const QByteArray& name) const;

    // "Content-Length" read as its leading decimal digits (0 when absent or not a number);
    // negative when the value starts with a minus sign.
    qint64 declaredLength() const;

    // The body cut to the declared length.
    const QByteArray& body() const { return m_body; }

private:
    QString m_text;
    bool m_headerComplete = false;
    bool m_incomplete = false;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
};

// The leading decimal number of a header value: digits after optional white space and an
// optional sign; 0 when there are none. Saturates instead of overflowing.
qint64 leadingNumber(const QByteArray& value);
