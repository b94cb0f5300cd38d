#include "crypto/srp_client.h"

#include "crypto/RandomSource.h"

#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

struct SRPUser
{
    SRPHash hash;
    BIGNUM* N;
    BIGNUM* g;
    BIGNUM* a;
    BIGNUM* A;
    BIGNUM* S;
    uint8_t* bytesA;
    int lengthA;
    int authenticated;
    char* username;
    uint8_t* password;
    int passwordLength;
    uint8_t M[64];
    uint8_t H_AMK[64];
    uint8_t key[128];
    int keyLength;
    bool expectsServerProof; // H_AMK holds a value: respond gave a proof
};

namespace {

struct GroupText
{
    const char* N;
    const char* g;
};

// RFC 5054, Appendix A, in the order of SRPGroup.
constexpr GroupText kGroups[SRPGroupCustom] = {
    // 1024-bit group
    {"EEAF0AB9ADB38DD69C33F80AFA8FC5E86072618775FF3C0B9EA2314C9C256576D674DF7496EA81D3383B4813D692C6E0"
     "E0D5D8E250B98BE48E495C1D6089DAD15DC7D7B46154D6B6CE8EF4AD69B15D4982559B297BCF1885C529F566660E57EC"
     "68EDBC3C05726CC02FD4CBF4976EAA9AFD5138FE8376435B9FC61D2FC0EB06E3",
     "2"},
    // 2048-bit group
    {"AC6BDB41324A9A9BF166DE5E1389582FAF72B6651987EE07FC3192943DB56050A37329CBB4A099ED8193E0757767A13D"
     "D52312AB4B03310DCD7F48A9DA04FD50E8083969EDB767B0CF6095179A163AB3661A05FBD5FAAAE82918A9962F0B93B8"
     "55F97993EC975EEAA80D740ADBF4FF747359D041D5C33EA71D281E446B14773BCA97B43A23FB801676BD207A436C6481"
     "F1D2B9078717461A5B9D32E688F87748544523B524B0D57D5EA77A2775D2ECFA032CFBDBF52FB3786160279004E57AE6"
     "AF874E7303CE53299CCC041C7BC308D82A5698F3A8D0C38271AE35F8E9DBFBB694B5C803D89F7AE435DE236D525F5475"
     "9B65E372FCD68EF20FA7111F9E4AFF73",
     "2"},
    // 4096-bit group
    {"FFFFFFFFFFFFFFFFC90FDAA22168C234C4C6628B80DC1CD129024E088A67CC74020BBEA63B139B22514A08798E3404DD"
     "EF9519B3CD3A431B302B0A6DF25F14374FE1356D6D51C245E485B576625E7EC6F44C42E9A637ED6B0BFF5CB6F406B7ED"
     "EE386BFB5A899FA5AE9F24117C4B1FE649286651ECE45B3DC2007CB8A163BF0598DA48361C55D39A69163FA8FD24CF5F"
     "83655D23DCA3AD961C62F356208552BB9ED529077096966D670C354E4ABC9804F1746C08CA18217C32905E462E36CE3B"
     "E39E772C180E86039B2783A2EC07A28FB5C55DF06F4C52C9DE2BCBF6955817183995497CEA956AE515D2261898FA0510"
     "15728E5A8AAAC42DAD33170D04507A33A85521ABDF1CBA64ECFB850458DBEF0A8AEA71575D060C7DB3970F85A6E1E4C7"
     "ABF5AE8CDB0933D71E8C94E04A25619DCEE3D2261AD2EE6BF12FFA06D98A0864D87602733EC86A64521F2B18177B200C"
     "BBE117577A615D6C770988C0BAD946E208E24FA074E5AB3143DB5BFCE0FD108E4B82D120A92108011A723C12A787E6D7"
     "88719A10BDBA5B2699C327186AF4E23C1A946834B6150BDA2583E9CA2AD44CE8DBBBC2DB04DE8EF92E8EFC141FBECAA6"
     "287C59474E6BC05D99B2964FA090C3A2233BA186515BE7ED1F612970CEE2D7AFB81BDD762170481CD0069127D5B05AA9"
     "93B4EA988D8FDDC186FFB7DC90A6C08F4DF435C934063199FFFFFFFFFFFFFFFF",
     "5"},
    // 8192-bit group
    {"FFFFFFFFFFFFFFFFC90FDAA22168C234C4C6628B80DC1CD129024E088A67CC74020BBEA63B139B22514A08798E3404DD"
     "EF9519B3CD3A431B302B0A6DF25F14374FE1356D6D51C245E485B576625E7EC6F44C42E9A637ED6B0BFF5CB6F406B7ED"
     "EE386BFB5A899FA5AE9F24117C4B1FE649286651ECE45B3DC2007CB8A163BF0598DA48361C55D39A69163FA8FD24CF5F"
     "83655D23DCA3AD961C62F356208552BB9ED529077096966D670C354E4ABC9804F1746C08CA18217C32905E462E36CE3B"
     "E39E772C180E86039B2783A2EC07A28FB5C55DF06F4C52C9DE2BCBF6955817183995497CEA956AE515D2261898FA0510"
     "15728E5A8AAAC42DAD33170D04507A33A85521ABDF1CBA64ECFB850458DBEF0A8AEA71575D060C7DB3970F85A6E1E4C7"
     "ABF5AE8CDB0933D71E8C94E04A25619DCEE3D2261AD2EE6BF12FFA06D98A0864D87602733EC86A64521F2B18177B200C"
     "BBE117577A615D6C770988C0BAD946E208E24FA074E5AB3143DB5BFCE0FD108E4B82D120A92108011A723C12A787E6D7"
     "88719A10BDBA5B2699C327186AF4E23C1A946834B6150BDA2583E9CA2AD44CE8DBBBC2DB04DE8EF92E8EFC141FBECAA6"
     "287C59474E6BC05D99B2964FA090C3A2233BA186515BE7ED1F612970CEE2D7AFB81BDD762170481CD0069127D5B05AA9"
     "93B4EA988D8FDDC186FFB7DC90A6C08F4DF435C93402849236C3FAB4D27C7026C1D4DCB2602646DEC9751E763DBA37BD"
     "F8FF9406AD9E530EE5DB382F413001AEB06A53ED9027D831179727B0865A8918DA3EDBEBCF9B14ED44CE6CBACED4BB1B"
     "DB7F1447E6CC254B332051512BD7AF426FB8F401378CD2BF5983CA01C64B92ECF032EA15D1721D03F482D7CE6E74FEF6"
     "D55E702F46980C82B5A84031900B1C9E59E7C97FBEC7E8F323A97A7E36CC88BE0F1D45B7FF585AC54BD407B22B4154AA"
     "CC8F6D7EBF48E1D814CC5ED20F8037E0A79715EEF29BE32806A1D58BB7C5DA76F550AA3D8A1FBFF0EB19CCB1A313D55C"
     "DA56C9EC2EF29632387FE8D76E3C0468043E8F663F4860EE12BF2D5B0B7474D6E694F91E6DBE115974A3926F12FEE5E4"
     "38777CB6A932DF8CD8BEC4D073B931BA3BC832B68D9DD300741FA7BF8AFC47ED2576F6936BA424663AAB639C5AE4F568"
     "3423B4742BF1C978238F16CBE39D652DE3FDB8BEFC848AD922222E04A4037C0713EB57A81A23F0C73473FC646CEA306B"
     "4BCBC8862F8385DDFA9D4B7FA2C087E879683303ED5BDD3A062B3CF5B3A278A66D2A13F83F44F82DDF310EE074AB6A36"
     "4597E899A0255DC164F31CC50846851DF9AB48195DED7EA1B1D510BD7EE74D73FAF36BC31ECFA268359046F4EB879F92"
     "4009438B481C6CD7889A002ED5EE382BC9190DA6FC026E479558E4475677E9AA9E3050E2765694DFC81F56E880B96E71"
     "60C980DD98EDD3DFFFFFFFFFFFFFFFFF",
     "13"},
};

std::atomic<bool> randomGeneratorSeeded{false};

void seedRandomGeneratorOnce()
{
    if (randomGeneratorSeeded.load()) {
        return;
    }
    FILE* file = std::fopen("/dev/urandom", "r");
    if (file == nullptr) {
        return;
    }
    unsigned char block[64];
    const size_t got = std::fread(block, 1, sizeof block, file);
    std::fclose(file);
    if (got == sizeof block) {
        randomGeneratorSeeded.store(true);
        RAND_seed(block, sizeof block);
    }
    OPENSSL_cleanse(block, sizeof block);
}

const EVP_MD* digestAlgorithm(SRPHash hash)
{
    switch (hash) {
    case SRPHashSHA1:
        return EVP_sha1();
    case SRPHashSHA224:
        return EVP_sha224();
    case SRPHashSHA256:
        return EVP_sha256();
    case SRPHashSHA384:
        return EVP_sha384();
    case SRPHashSHA512:
        return EVP_sha512();
    case SRPHashRIPEMD160:
        return EVP_ripemd160();
    }
    return nullptr;
}

// A streaming digest that remembers whether every step succeeded.
class Digest
{
public:
    explicit Digest(SRPHash hash) : context_(EVP_MD_CTX_new())
    {
        const EVP_MD* algorithm = digestAlgorithm(hash);
        ok_ = context_ != nullptr && algorithm != nullptr &&
              EVP_DigestInit_ex(context_, algorithm, nullptr) == 1;
    }
    ~Digest() { EVP_MD_CTX_free(context_); }
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void add(const void* bytes, size_t length)
    {
        ok_ = ok_ && (length == 0 || EVP_DigestUpdate(context_, bytes, length) == 1);
    }
    void add(const std::vector<uint8_t>& bytes) { add(bytes.data(), bytes.size()); }

    // Writes the digest; false when any step failed.
    bool finish(uint8_t* out)
    {
        ok_ = ok_ && EVP_DigestFinal_ex(context_, out, nullptr) == 1;
        return ok_;
    }

private:
    EVP_MD_CTX* context_;
    bool ok_;
};

using BigNumber = std::unique_ptr<BIGNUM, decltype(&BN_clear_free)>;
using BigNumberContext = std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)>;

BigNumber newBigNumber()
{
    return BigNumber(BN_new(), &BN_clear_free);
}

// The minimal big-endian form; empty for zero.
std::vector<uint8_t> minimalBytes(const BIGNUM* number)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(BN_num_bytes(number)));
    BN_bn2bin(number, bytes.data());
    return bytes;
}

void wipe(std::vector<uint8_t>& bytes)
{
    OPENSSL_cleanse(bytes.data(), bytes.size());
}

// Reads a digest as a big-endian number into result.
bool digestToNumber(const uint8_t* digest, int length, BIGNUM* result)
{
    return BN_bin2bn(digest, length, result) != nullptr;
}

bool parseHex(BIGNUM** number, const char* text)
{
    return text != nullptr && BN_hex2bn(number, text) == static_cast<int>(std::strlen(text)) &&
           *number != nullptr;
}

int hashLength(SRPHash hash)
{
    const EVP_MD* algorithm = digestAlgorithm(hash);
    return algorithm == nullptr ? -1 : EVP_MD_get_size(algorithm);
}

// Everything respond computes, wiped when it goes out of scope.
struct ResponseSecrets
{
    std::vector<uint8_t> bytesS;
    uint8_t innerHash[64] = {};
    ~ResponseSecrets()
    {
        wipe(bytesS);
        OPENSSL_cleanse(innerHash, sizeof innerHash);
    }
};

} // namespace

SRPUser* srp_client_create(SRPHash hash, SRPGroup group, const char* username, const uint8_t* password,
                           int passwordLength, const char* nHex, const char* gHex)
{
    if (digestAlgorithm(hash) == nullptr || group < SRPGroup1024 || group > SRPGroupCustom ||
        username == nullptr || passwordLength < 0 || (password == nullptr && passwordLength > 0)) {
        return nullptr;
    }
    seedRandomGeneratorOnce();

    auto* user = static_cast<SRPUser*>(OPENSSL_zalloc(sizeof(SRPUser)));
    if (user == nullptr) {
        return nullptr;
    }
    user->hash = hash;
    const GroupText text = group == SRPGroupCustom ? GroupText{nHex, gHex} : kGroups[group];
    const size_t usernameSize = std::strlen(username) + 1;
    user->username = static_cast<char*>(OPENSSL_malloc(usernameSize));
    user->password = static_cast<uint8_t*>(OPENSSL_malloc(passwordLength > 0 ? passwordLength : 1));
    user->a = BN_new();
    user->A = BN_new();
    user->S = BN_new();
    if (user->username == nullptr || user->password == nullptr || user->a == nullptr || user->A == nullptr ||
        user->S == nullptr || !parseHex(&user->N, text.N) || !parseHex(&user->g, text.g)) {
        srp_client_destroy(user);
        return nullptr;
    }
    std::memcpy(user->username, username, usernameSize);
    if (passwordLength > 0) {
        std::memcpy(user->password, password, static_cast<size_t>(passwordLength));
    }
    user->passwordLength = passwordLength;
    return user;
}

void srp_client_begin(SRPUser* user, const char** username, const uint8_t** bytesA, int* lengthA,
                      RandomSource* random)
{
    *username = nullptr;
    *bytesA = nullptr;
    *lengthA = 0;
    if (user == nullptr) {
        return;
    }
    OPENSSL_free(user->bytesA);
    user->bytesA = nullptr;
    user->lengthA = 0;

    RandomSource& source = random != nullptr ? *random : systemRandomSource();
    uint8_t secret[32];
    BigNumberContext context(BN_CTX_new(), &BN_CTX_free);
    const bool drawn = source.fill(secret, sizeof secret);
    const bool made = drawn && context && BN_bin2bn(secret, sizeof secret, user->a) != nullptr;
    OPENSSL_cleanse(secret, sizeof secret);
    if (!made) {
        return;
    }
    BN_set_flags(user->a, BN_FLG_CONSTTIME);
    if (BN_mod_exp(user->A, user->g, user->a, user->N, context.get()) != 1) {
        return;
    }
    const int length = BN_num_bytes(user->A);
    auto* bytes = static_cast<uint8_t*>(OPENSSL_malloc(length > 0 ? length : 1));
    if (bytes == nullptr) {
        return;
    }
    BN_bn2bin(user->A, bytes);
    user->bytesA = bytes;
    user->lengthA = length;
    *username = user->username;
    *bytesA = user->bytesA;
    *lengthA = user->lengthA;
}

void srp_client_respond(SRPUser* user, const uint8_t* salt, int saltLength, const uint8_t* bytesB,
                        int lengthB, const uint8_t** bytesM, int* lengthM)
{
    *bytesM = nullptr;
    *lengthM = 0;
    if (user == nullptr) {
        return;
    }
    user->expectsServerProof = false;
    user->keyLength = 0;
    if (user->bytesA == nullptr || saltLength < 0 || lengthB < 0 || (salt == nullptr && saltLength > 0) ||
        (bytesB == nullptr && lengthB > 0)) {
        return;
    }
    const SRPHash hash = user->hash;
    const int hlen = hashLength(hash);

    BigNumberContext context(BN_CTX_new(), &BN_CTX_free);
    BigNumber s = newBigNumber(), B = newBigNumber(), u = newBigNumber(), x = newBigNumber();
    BigNumber k = newBigNumber(), gx = newBigNumber(), base = newBigNumber(), exponent = newBigNumber();
    BigNumber remainder = newBigNumber();
    if (!context || !s || !B || !u || !x || !k || !gx || !base || !exponent || !remainder ||
        BN_bin2bn(salt, saltLength, s.get()) == nullptr || BN_bin2bn(bytesB, lengthB, B.get()) == nullptr) {
        return;
    }
    const std::vector<uint8_t> minimalN = minimalBytes(user->N);
    const std::vector<uint8_t> minimalG = minimalBytes(user->g);
    const std::vector<uint8_t> minimalSalt = minimalBytes(s.get());
    const std::vector<uint8_t> minimalB = minimalBytes(B.get());
    if (minimalG.size() > minimalN.size()) {
        return;
    }
    ResponseSecrets secrets;
    uint8_t digest[64];

    // u = H(A || B)
    Digest uDigest(hash);
    uDigest.add(user->bytesA, static_cast<size_t>(user->lengthA));
    uDigest.add(minimalB);
    if (!uDigest.finish(digest) || !digestToNumber(digest, hlen, u.get())) {
        return;
    }

    // x = H(s || H(I || ":" || P))
    Digest innerDigest(hash);
    innerDigest.add(user->username, std::strlen(user->username));
    innerDigest.add(":", 1);
    innerDigest.add(user->password, static_cast<size_t>(user->passwordLength));
    Digest xDigest(hash);
    xDigest.add(minimalSalt);
    if (!innerDigest.finish(secrets.innerHash)) {
        return;
    }
    xDigest.add(secrets.innerHash, static_cast<size_t>(hlen));
    if (!xDigest.finish(secrets.innerHash) || !digestToNumber(secrets.innerHash, hlen, x.get())) {
        return;
    }
    BN_set_flags(x.get(), BN_FLG_CONSTTIME);

    // k = H(N || PAD(g))
    std::vector<uint8_t> paddedG(minimalN.size() - minimalG.size(), 0);
    paddedG.insert(paddedG.end(), minimalG.begin(), minimalG.end());
    Digest kDigest(hash);
    kDigest.add(minimalN);
    kDigest.add(paddedG);
    if (!kDigest.finish(digest) || !digestToNumber(digest, hlen, k.get())) {
        return;
    }

    // A B of 0 (mod N) would let the server fix S; a u of 0 would take a out of it.
    if (BN_nnmod(remainder.get(), B.get(), user->N, context.get()) != 1 || BN_is_zero(remainder.get()) ||
        BN_is_zero(u.get())) {
        return;
    }

    // S = (B - k * g^x) ^ (a + u * x) mod N
    if (BN_mod_exp(gx.get(), user->g, x.get(), user->N, context.get()) != 1 ||
        BN_mod_mul(gx.get(), k.get(), gx.get(), user->N, context.get()) != 1 ||
        BN_mod_sub(base.get(), B.get(), gx.get(), user->N, context.get()) != 1 ||
        BN_mul(exponent.get(), u.get(), x.get(), context.get()) != 1 ||
        BN_add(exponent.get(), exponent.get(), user->a) != 1) {
        return;
    }
    BN_set_flags(exponent.get(), BN_FLG_CONSTTIME);
    if (BN_mod_exp(user->S, base.get(), exponent.get(), user->N, context.get()) != 1) {
        return;
    }
    secrets.bytesS = minimalBytes(user->S);

    // K = H(S || 00000000) || H(S || 00000001)
    for (uint8_t counter = 0; counter < 2; ++counter) {
        const uint8_t counterBytes[4] = {0, 0, 0, counter};
        Digest keyDigest(hash);
        keyDigest.add(secrets.bytesS);
        keyDigest.add(counterBytes, sizeof counterBytes);
        if (!keyDigest.finish(user->key + counter * hlen)) {
            return;
        }
    }
    const size_t keyLength = 2 * static_cast<size_t>(hlen);

    // M = H((H(N) xor H(g)) || H(I) || s || A || B || K)
    uint8_t hashN[64], hashG[64], hashI[64];
    Digest nDigest(hash), gDigest(hash), iDigest(hash);
    nDigest.add(minimalN);
    gDigest.add(minimalG);
    iDigest.add(user->username, std::strlen(user->username));
    if (!nDigest.finish(hashN) || !gDigest.finish(hashG) || !iDigest.finish(hashI)) {
        return;
    }
    for (int i = 0; i < hlen; ++i) {
        hashN[i] ^= hashG[i];
    }
    Digest mDigest(hash);
    mDigest.add(hashN, static_cast<size_t>(hlen));
    mDigest.add(hashI, static_cast<size_t>(hlen));
    mDigest.add(minimalSalt);
    mDigest.add(user->bytesA, static_cast<size_t>(user->lengthA));
    mDigest.add(minimalB);
    mDigest.add(user->key, keyLength);
    if (!mDigest.finish(user->M)) {
        return;
    }

    // H_AMK = H(A || M || K)
    Digest proofDigest(hash);
    proofDigest.add(user->bytesA, static_cast<size_t>(user->lengthA));
    proofDigest.add(user->M, static_cast<size_t>(hlen));
    proofDigest.add(user->key, keyLength);
    if (!proofDigest.finish(user->H_AMK)) {
        return;
    }

    user->keyLength = static_cast<int>(keyLength);
    user->expectsServerProof = true;
    *bytesM = user->M;
    *lengthM = hlen;
}

void srp_client_check_server(SRPUser* user, const uint8_t* proof, int proofLength)
{
    if (user == nullptr || proof == nullptr || !user->expectsServerProof) {
        return;
    }
    const int hlen = hashLength(user->hash);
    if (proofLength >= hlen && CRYPTO_memcmp(proof, user->H_AMK, static_cast<size_t>(hlen)) == 0) {
        user->authenticated = 1;
    }
}

int srp_client_is_authenticated(const SRPUser* user)
{
    return user != nullptr ? user->authenticated : 0;
}

const uint8_t* srp_client_shared_key(const SRPUser* user, int* keyLength)
{
    const bool haveKey = user != nullptr && user->keyLength > 0;
    if (keyLength != nullptr) {
        *keyLength = haveKey ? user->keyLength : 0;
    }
    return haveKey ? user->key : nullptr;
}

void srp_client_destroy(SRPUser* user)
{
    if (user == nullptr) {
        return;
    }
    BN_free(user->N);
    BN_free(user->g);
    BN_clear_free(user->a);
    BN_free(user->A);
    BN_clear_free(user->S);
    OPENSSL_free(user->bytesA);
    OPENSSL_free(user->username);
    if (user->password != nullptr) {
        OPENSSL_clear_free(user->password,
                           static_cast<size_t>(user->passwordLength > 0 ? user->passwordLength : 1));
    }
    OPENSSL_clear_free(user, sizeof(SRPUser));
}
