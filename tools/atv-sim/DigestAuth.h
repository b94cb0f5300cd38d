#pragma once

#include <string>
#include <string_view>

// One connection's HTTP Digest (RFC 2617, MD5, no qop) challenges and their checking, with the
// fixed user and realm "AirPlay".
class DigestAuth
{
public:
    // Issues a new nonce (base64 of 16 and 17 random bytes by turns, so it always ends in "=")
    // and gives the value of the WWW-Authenticate header.
    std::string challenge();

    // Empty when the Authorization value is a correct answer to the last nonce issued here for
    // this method and request target; otherwise why it is not.
    std::string problem(std::string_view authorization, std::string_view method, std::string_view uri,
                        std::string_view password) const;

private:
    std::string nonce_;
    unsigned issued_ = 0;
};
