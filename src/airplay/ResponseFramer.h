#pragma once

#include <QByteArray>

#include <optional>

// Cuts the byte stream of the control connection into whole HTTP responses, by the end of
// the header block and "Content-Length": a response split over several reads comes out once,
// whole; several responses in one read come out one after the other. Bytes that are not a
// response (they do not start with "HTTP/") come out as a block of their own, so that they
// can be reported. A response that can never be completed — a header block or a declared
// length beyond the limits below, or a negative length — comes out as it stands and breaks
// the stream: nothing more comes out, and the connection has to be closed.
class ResponseFramer
{
public:
    static constexpr qsizetype maxHeaderBytes = 64 * 1024;
    static constexpr qint64 maxBodyBytes = 16 * 1024 * 1024;

    void append(const QByteArray& bytes);

    // The next block to dispatch, or none while a response is still incomplete.
    std::optional<QByteArray> takeResponse();

    bool isBroken() const { return m_broken; }

private:
    std::optional<QByteArray> takeUnframed();
    std::optional<QByteArray> breakStream();

    QByteArray m_buffer;
    // How far the buffer is known to hold no end of a header block, so that a response that
    // comes a few bytes at a time is not searched again from its start at every read.
    qsizetype m_searched = 0;
    bool m_broken = false;
};
