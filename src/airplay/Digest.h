#pragma once

#include <QString>

// HTTP Digest authorization (RFC 2617, MD5, no quality of protection) of the stop request
// with which a password-protected Apple TV is authorized.
class Digest
{
public:
    // The MD5 digest of the text's UTF-8 bytes as 32 lower-case hexadecimal digits.
    static QString generateMD5(const QString& text);

    // MD5(MD5("AirPlay:AirPlay:" password) ":" nonce ":" MD5("POST:/stop")).
    static QString response(const QString& nonce, const QString& password);

    // The whole authorized stop request.
    static QString authorizedStopRequest(const QString& hostPort, const QString& nonce, const QString& password);
};
