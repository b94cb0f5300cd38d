// The 2048-bit SRP group is read from OpenSSL's own table (its SRP API is deprecated but
// present), so that the simulator's copy of the prime is checked against another source.
#define OPENSSL_SUPPRESS_DEPRECATED

#include "ClientCrypto.h"

#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/srp.h>
#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace client {
namespace {

const unsigned char* bytes(std::string_view s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string digest(const EVP_MD* md, std::string_view data)
{
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), out, &length, md, nullptr) != 1)
        throw std::runtime_error("EVP_Digest failed");
    return std::string(reinterpret_cast<char*>(out), length);
}

struct BnFree
{
    void operator()(BIGNUM* n) const { BN_free(n); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

Bn number(std::string_view data)
{
    return Bn(BN_bin2bn(bytes(data), static_cast<int>(data.size()), nullptr));
}

std::string minimal(const BIGNUM* n)
{
    std::string out(static_cast<std::size_t>(BN_num_bytes(n)), '\0');
    BN_bn2bin(n, reinterpret_cast<unsigned char*>(out.data()));
    return out;
}

std::string padded(const BIGNUM* n, std::size_t length)
{
    std::string out(length, '\0');
    BN_bn2binpad(n, reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(length));
    return out;
}

std::string first16(std::string digestBytes)
{
    return digestBytes.substr(0, 16);
}

using Pkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

Pkey privateKey(int type, std::string_view secret)
{
    return Pkey(EVP_PKEY_new_raw_private_key(type, nullptr, bytes(secret), secret.size()), EVP_PKEY_free);
}

std::string rawPublic(EVP_PKEY* key)
{
    unsigned char out[32];
    std::size_t length = sizeof out;
    if (!key || EVP_PKEY_get_raw_public_key(key, out, &length) != 1)
        throw std::runtime_error("public key export failed");
    return std::string(reinterpret_cast<char*>(out), length);
}

std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> gcm(std::string_view key, std::string_view iv,
                                                                    int encrypt)
{
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    EVP_CipherInit_ex(ctx.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr, encrypt);
    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(iv.size()), nullptr);
    EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, bytes(key), bytes(iv), encrypt);
    return ctx;
}

} // namespace

std::string fromHex(std::string_view hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

std::string toHex(std::string_view data)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : data) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string randomBytes(std::size_t count)
{
    std::string out(count, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(count));
    return out;
}

std::string sha1(std::string_view data)
{
    return digest(EVP_sha1(), data);
}

std::string sha512(std::string_view data)
{
    return digest(EVP_sha512(), data);
}

std::string md5Hex(std::string_view text)
{
    return toHex(digest(EVP_md5(), text));
}

std::string toBase64(std::string_view data)
{
    std::string out((data.size() + 2) / 3 * 4 + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes(data),
                                 static_cast<int>(data.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string fromBase64(std::string_view text)
{
    std::string out((text.size() / 4 + 1) * 3, '\0');
    int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes(text),
                                 static_cast<int>(text.size()));
    if (length < 0)
        return {};
    std::size_t padding = text.ends_with("==") ? 2 : text.ends_with("=") ? 1 : 0;
    out.resize(static_cast<std::size_t>(length) - padding);
    return out;
}

SrpExchange srpRespond(std::string_view user, std::string_view password, std::string_view salt,
                       std::string_view serverPublic, std::string_view secret)
{
    SRP_gN* group = SRP_get_default_gN("2048");
    const BIGNUM* n = group->N;
    const BIGNUM* g = group->g;
    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> ctx(BN_CTX_new(), BN_CTX_free);
    std::size_t nLength = static_cast<std::size_t>(BN_num_bytes(n));

    Bn a = number(secret);
    Bn bigA(BN_new());
    BN_mod_exp(bigA.get(), g, a.get(), n, ctx.get());
    SrpExchange out;
    out.clientPublic = minimal(bigA.get());
    std::string bMin = minimal(number(serverPublic).get());
    std::string sMin = minimal(number(salt).get());

    Bn u = number(sha1(out.clientPublic + bMin));
    Bn x = number(sha1(sMin + sha1(std::string(user) + ":" + std::string(password))));
    Bn k = number(sha1(minimal(n) + padded(g, nLength)));

    // S = (B - k g^x) ^ (a + u x) mod N
    Bn gx(BN_new()), kgx(BN_new()), base(BN_new()), ux(BN_new()), exponent(BN_new()), s(BN_new());
    BN_mod_exp(gx.get(), g, x.get(), n, ctx.get());
    BN_mod_mul(kgx.get(), k.get(), gx.get(), n, ctx.get());
    BN_mod_sub(base.get(), number(serverPublic).get(), kgx.get(), n, ctx.get());
    BN_mul(ux.get(), u.get(), x.get(), ctx.get());
    BN_add(exponent.get(), a.get(), ux.get());
    BN_mod_exp(s.get(), base.get(), exponent.get(), n, ctx.get());

    std::string sBytes = minimal(s.get());
    out.sessionKey = sha1(sBytes + std::string("\0\0\0\0", 4)) + sha1(sBytes + std::string("\0\0\0\1", 4));
    std::string hn = sha1(minimal(n));
    std::string hg = sha1(minimal(g));
    for (std::size_t i = 0; i < hn.size(); ++i)
        hn[i] = static_cast<char>(hn[i] ^ hg[i]);
    out.clientProof = sha1(hn + sha1(user) + sMin + out.clientPublic + bMin + out.sessionKey);
    out.serverProof = sha1(out.clientPublic + out.clientProof + out.sessionKey);
    return out;
}

std::string setupKey(std::string_view sessionKey)
{
    return first16(sha512("Pair-Setup-AES-Key" + std::string(sessionKey)));
}

std::string setupIv(std::string_view sessionKey)
{
    std::string iv = first16(sha512("Pair-Setup-AES-IV" + std::string(sessionKey)));
    iv[15] = static_cast<char>(static_cast<unsigned char>(iv[15]) + 1);
    return iv;
}

std::string setupReplyIv(std::string_view sessionKey)
{
    std::string iv = setupIv(sessionKey);
    iv[15] = static_cast<char>(static_cast<unsigned char>(iv[15]) + 1);
    return iv;
}

std::string verifyKey(std::string_view shared)
{
    return first16(sha512("Pair-Verify-AES-Key" + std::string(shared)));
}

std::string verifyIv(std::string_view shared)
{
    return first16(sha512("Pair-Verify-AES-IV" + std::string(shared)));
}

Sealed gcmSeal(std::string_view key, std::string_view iv, std::string_view plaintext)
{
    auto ctx = gcm(key, iv, 1);
    Sealed out{std::string(plaintext.size(), '\0'), std::string(16, '\0')};
    int length = 0;
    EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.ciphertext.data()), &length,
                      bytes(plaintext), static_cast<int>(plaintext.size()));
    EVP_EncryptFinal_ex(ctx.get(), nullptr, &length);
    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, 16, out.tag.data());
    return out;
}

std::optional<std::string> gcmOpen(std::string_view key, std::string_view iv, std::string_view ciphertext,
                                   std::string_view tag)
{
    auto ctx = gcm(key, iv, 0);
    std::string out(ciphertext.size(), '\0');
    std::string tagCopy(tag);
    int length = 0;
    EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &length, bytes(ciphertext),
                      static_cast<int>(ciphertext.size()));
    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(tagCopy.size()), tagCopy.data());
    unsigned char tail[16];
    if (EVP_DecryptFinal_ex(ctx.get(), tail, &length) != 1)
        return std::nullopt;
    return out;
}

std::string ed25519Public(std::string_view seed)
{
    return rawPublic(privateKey(EVP_PKEY_ED25519, seed).get());
}

std::string ed25519Sign(std::string_view seed, std::string_view message)
{
    Pkey key = privateKey(EVP_PKEY_ED25519, seed);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    std::string signature(64, '\0');
    std::size_t length = signature.size();
    EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get());
    EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(signature.data()), &length, bytes(message),
                   message.size());
    return signature;
}

bool ed25519Verify(std::string_view publicKey, std::string_view message, std::string_view signature)
{
    Pkey key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, bytes(publicKey), publicKey.size()),
             EVP_PKEY_free);
    if (!key)
        return false;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get());
    return EVP_DigestVerify(ctx.get(), bytes(signature), signature.size(), bytes(message), message.size()) ==
           1;
}

std::string x25519Public(std::string_view secret)
{
    return rawPublic(privateKey(EVP_PKEY_X25519, secret).get());
}

std::string x25519Shared(std::string_view secret, std::string_view peerPublic)
{
    Pkey own = privateKey(EVP_PKEY_X25519, secret);
    Pkey peer(EVP_PKEY_new_raw_public_key(EVP_PKEY_X25519, nullptr, bytes(peerPublic), peerPublic.size()),
              EVP_PKEY_free);
    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(EVP_PKEY_CTX_new(own.get(), nullptr),
                                                                    EVP_PKEY_CTX_free);
    std::string out(32, '\0');
    std::size_t length = out.size();
    if (!peer || EVP_PKEY_derive_init(ctx.get()) != 1 ||
        EVP_PKEY_derive_set_peer(ctx.get(), peer.get()) != 1 ||
        EVP_PKEY_derive(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &length) != 1)
        throw std::runtime_error("X25519 failed");
    return out;
}

Ctr::Ctr(std::string_view key, std::string_view counterBlock) : ctx_(EVP_CIPHER_CTX_new())
{
    EVP_EncryptInit_ex(static_cast<EVP_CIPHER_CTX*>(ctx_), EVP_aes_128_ctr(), nullptr, bytes(key),
                       bytes(counterBlock));
}

Ctr::~Ctr()
{
    EVP_CIPHER_CTX_free(static_cast<EVP_CIPHER_CTX*>(ctx_));
}

std::string Ctr::apply(std::string_view input)
{
    std::string out(input.size(), '\0');
    int length = 0;
    EVP_EncryptUpdate(static_cast<EVP_CIPHER_CTX*>(ctx_), reinterpret_cast<unsigned char*>(out.data()),
                      &length, bytes(input), static_cast<int>(input.size()));
    return out;
}

std::string plist(std::initializer_list<std::pair<std::string, PlistValue>> entries)
{
    plist_t dict = plist_new_dict();
    for (const auto& [key, value] : entries) {
        if (const std::string* text = std::get_if<std::string>(&value))
            plist_dict_set_item(dict, key.c_str(), plist_new_string(text->c_str()));
        else
            plist_dict_set_item(
                dict, key.c_str(),
                plist_new_data(std::get<Data>(value).bytes.data(), std::get<Data>(value).bytes.size()));
    }
    char* bin = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(dict, &bin, &length);
    std::string out(bin, length);
    plist_to_bin_free(bin);
    plist_free(dict);
    return out;
}

std::optional<std::map<std::string, std::string>> plistValues(std::string_view body)
{
    plist_t root = nullptr;
    plist_from_memory(body.data(), static_cast<std::uint32_t>(body.size()), &root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return std::nullopt;
    }
    std::map<std::string, std::string> out;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root, &it);
    while (true) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, it, &key, &value);
        if (!key)
            break;
        char* data = nullptr;
        std::uint64_t length = 0;
        if (plist_get_node_type(value) == PLIST_DATA) {
            plist_get_data_val(value, &data, &length);
            out[key] = std::string(data, length);
        } else if (plist_get_node_type(value) == PLIST_STRING) {
            plist_get_string_val(value, &data);
            out[key] = data;
        }
        std::free(data);
        std::free(key);
    }
    std::free(it);
    plist_free(root);
    return out;
}

} // namespace client
