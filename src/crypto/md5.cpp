#include "crypto/md5.h"

#include <openssl/evp.h>

std::string md5_hex(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &digestLength, EVP_md5(), nullptr) != 1) {
        return {};
    }
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * digestLength);
    for (unsigned int i = 0; i < digestLength; ++i) {
        text.push_back(kHexDigits[digest[i] >> 4]);
        text.push_back(kHexDigits[digest[i] & 15]);
    }
    return text;
}
