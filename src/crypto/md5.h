#pragma once

// MD5 (RFC 1321), for HTTP Digest authorization.

#include <string>
#include <string_view>

// The digest of bytes as 32 lower-case hexadecimal digits, or an empty text when OpenSSL refuses
// MD5 (as a FIPS-only configuration does).
std::string md5_hex(std::string_view bytes);
