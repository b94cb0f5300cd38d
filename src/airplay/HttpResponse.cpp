#include "airplay/HttpResponse.h"

#include <QStringDecoder>

#include <limits>

namespace {

QString decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return {};
    }
    return text.isNull() ? QString(QLatin1String("")) : text;
}

} // namespace

qint64 leadingNumber(const QByteArray& value)
{
    qsizetype at = 0;
    while (at < value.size() && (value[at] == ' ' || value[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) {
        negative = value[at] == '-';
        ++at;
    }
    qint64 number = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        const int digit = value[at] - '0';
        if (number > (std::numeric_limits<qint64>::max() - digit) / 10) {
            number = std::numeric_limits<qint64>::max();
            break;
        }
        number = number * 10 + digit;
    }
    return negative ? -number : number;
}

HttpResponse HttpResponse::parse(const QByteArray& block)
{
    HttpResponse response;
    response.m_text = decodeUtf8(block);

    const qsizetype headerEnd = block.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        return response;
    }
    response.m_headerComplete = true;

    const QList<QByteArray> lines = block.left(headerEnd).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        response.m_headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }

    const QByteArray rest = block.mid(headerEnd + 4);
    const qint64 length = response.declaredLength();
    if (length < 0 || length > rest.size()) {
        response.m_incomplete = true;
        response.m_body = rest;
    } else {
        response.m_body = rest.left(length);
    }
    return response;
}

std::optional<QByteArray> HttpResponse::header(const QByteArray& name) const
{
    for (const auto& [key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

qint64 HttpResponse::declaredLength() const
{
    const auto value = header("Content-Length");
    if (!value) {
        return 0;
    }
    const qint64 number = leadingNumber(*value);
    // Read as an unsigned 32-bit number: a negative value stays negative (never satisfied).
    return number < 0 ? -1 : std::min<qint64>(number, std::numeric_limits<quint32>::max());
}
