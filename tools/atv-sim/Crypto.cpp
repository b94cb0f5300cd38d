#include "Crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>
#include <stdexcept>

namespace crypto {
namespace {

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

Bytes digest(const EVP_MD* md, ByteView data)
{
    Bytes out(EVP_MD_get_size(md));
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr) != 1)
        throw std::runtime_error("EVP_Digest failed");
    out.resize(length);
    return out;
}

CipherContext gcmContext(ByteView key, ByteView iv, bool encrypt)
{
    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr, encrypt) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(iv.size()), nullptr) != 1 ||
        EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.data(), iv.data(), encrypt) != 1)
        throw std::runtime_error("AES-GCM set-up failed");
    return ctx;
}

} // namespace

Bytes randomBytes(std::size_t count)
{
    Bytes out(count);
    if (RAND_bytes(out.data(), static_cast<int>(count)) != 1)
        throw std::runtime_error("RAND_bytes failed");
    return out;
}

void wipe(Bytes& secret)
{
    OPENSSL_cleanse(secret.data(), secret.size());
    secret.clear();
}

Bytes sha1(ByteView data)
{
    return digest(EVP_sha1(), data);
}

Bytes sha512(ByteView data)
{
    return digest(EVP_sha512(), data);
}

std::string md5Hex(std::string_view text)
{
    return toHex(digest(EVP_md5(), asBytes(text)));
}

Sealed aesGcmEncrypt(ByteView key, ByteView iv, ByteView plaintext)
{
    CipherContext ctx = gcmContext(key, iv, true);
    Sealed sealed{Bytes(plaintext.size()), Bytes(16)};
    int length = 0;
    if (EVP_EncryptUpdate(ctx.get(), sealed.ciphertext.data(), &length, plaintext.data(),
                          static_cast<int>(plaintext.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), sealed.ciphertext.data() + length, &length) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, 16, sealed.tag.data()) != 1)
        throw std::runtime_error("AES-GCM encryption failed");
    return sealed;
}

std::optional<Bytes> aesGcmDecrypt(ByteView key, ByteView iv, ByteView ciphertext, ByteView tag)
{
    if (tag.size() != 16)
        return std::nullopt;
    CipherContext ctx = gcmContext(key, iv, false);
    Bytes plaintext(ciphertext.size());
    int length = 0;
    if (EVP_DecryptUpdate(ctx.get(), plaintext.data(), &length, ciphertext.data(),
                          static_cast<int>(ciphertext.size())) != 1)
        throw std::runtime_error("AES-GCM decryption failed");
    Bytes expectedTag(tag.begin(), tag.end());
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, 16, expectedTag.data()) != 1)
        throw std::runtime_error("AES-GCM tag set-up failed");
    if (EVP_DecryptFinal_ex(ctx.get(), plaintext.data() + length, &length) != 1) {
        wipe(plaintext);
        return std::nullopt;
    }
    return plaintext;
}

bool ed25519Verify(ByteView publicKey, ByteView message, ByteView signature)
{
    if (publicKey.size() != 32 || signature.size() != 64)
        return false;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, publicKey.data(), publicKey.size()),
        EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!key || !ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(ctx.get(), signature.data(), signature.size(), message.data(), message.size()) ==
           1;
}

bool equalInConstantTime(ByteView a, ByteView b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace crypto
