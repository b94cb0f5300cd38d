#include "crypto/srp_client.h"

#include "ReplayRandomSource.h"
#include "hex.h"

// The test server takes the RFC 5054 groups from OpenSSL's own copy of them, so that a fault in
// our table shows as a failed exchange.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/srp.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using BigNumber = std::unique_ptr<BIGNUM, decltype(&BN_free)>;

BigNumber bigNumber(const std::vector<uint8_t>& bytes)
{
    return BigNumber(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr), &BN_free);
}

std::vector<uint8_t> bytesOf(const BIGNUM* number)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(BN_num_bytes(number)));
    BN_bn2bin(number, bytes.data());
    return bytes;
}

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const EVP_MD* digestAlgorithm(SRPHash hash)
{
    const EVP_MD* algorithms[] = {EVP_sha1(),   EVP_sha224(), EVP_sha256(),
                                  EVP_sha384(), EVP_sha512(), EVP_ripemd160()};
    return algorithms[hash];
}

std::vector<uint8_t> H(SRPHash hash, const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, digestAlgorithm(hash), nullptr);
    digest.resize(length);
    return digest;
}

std::vector<uint8_t> text(const std::string& s)
{
    return {s.begin(), s.end()};
}

// The server side of one exchange, computed the server's way: S = (A * v^u)^b mod N.
struct TestServer
{
    SRPHash hash;
    const BIGNUM* N;
    const BIGNUM* g;
    std::string username;
    std::string password;
    std::vector<uint8_t> salt; // as sent, possibly with leading zero bytes
    std::vector<uint8_t> b;

    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> context{BN_CTX_new(), &BN_CTX_free};

    BigNumber verifier() const
    {
        const auto saltNumber = bigNumber(salt);
        const auto x =
            bigNumber(H(hash, join({bytesOf(saltNumber.get()), H(hash, text(username + ":" + password))})));
        BigNumber v(BN_new(), &BN_free);
        BN_mod_exp(v.get(), g, x.get(), N, context.get());
        return v;
    }

    BigNumber multiplier() const
    {
        std::vector<uint8_t> paddedG(static_cast<size_t>(BN_num_bytes(N)) - BN_num_bytes(g), 0);
        paddedG = join({paddedG, bytesOf(g)});
        return bigNumber(H(hash, join({bytesOf(N), paddedG})));
    }

    // B = k * v + g^b mod N
    std::vector<uint8_t> publicValue() const
    {
        BigNumber B(BN_new(), &BN_free), gb(BN_new(), &BN_free);
        const auto bNumber = bigNumber(b);
        BN_mod_exp(gb.get(), g, bNumber.get(), N, context.get());
        BN_mod_mul(B.get(), multiplier().get(), verifier().get(), N, context.get());
        BN_mod_add(B.get(), B.get(), gb.get(), N, context.get());
        return bytesOf(B.get());
    }

    std::vector<uint8_t> sharedKey(const std::vector<uint8_t>& A) const
    {
        const auto B = publicValue();
        const auto u = bigNumber(H(hash, join({A, B})));
        BigNumber S(BN_new(), &BN_free);
        BN_mod_exp(S.get(), verifier().get(), u.get(), N, context.get());
        BN_mod_mul(S.get(), S.get(), bigNumber(A).get(), N, context.get());
        BN_mod_exp(S.get(), S.get(), bigNumber(b).get(), N, context.get());
        const auto bytesS = bytesOf(S.get());
        return join({H(hash, join({bytesS, {0, 0, 0, 0}})), H(hash, join({bytesS, {0, 0, 0, 1}}))});
    }

    std::vector<uint8_t> clientProof(const std::vector<uint8_t>& A) const
    {
        std::vector<uint8_t> hashNxorG = H(hash, bytesOf(N));
        const std::vector<uint8_t> hashG = H(hash, bytesOf(g));
        for (size_t i = 0; i < hashNxorG.size(); ++i) {
            hashNxorG[i] ^= hashG[i];
        }
        return H(hash, join({hashNxorG, H(hash, text(username)), bytesOf(bigNumber(salt).get()), A,
                             publicValue(), sharedKey(A)}));
    }

    std::vector<uint8_t> serverProof(const std::vector<uint8_t>& A) const
    {
        return H(hash, join({A, clientProof(A), sharedKey(A)}));
    }
};

const std::vector<uint8_t> kSecretA =
    fromHex("60975527035cf2ad1989806f0407210bc81edc04e2762a56afd529ddda2d4393");
const std::vector<uint8_t> kSecretB =
    fromHex("e487cb59d31ac550471e81f00f6928e01dda08e974a004f49e61f5d105284d20");
const std::vector<uint8_t> kSalt = fromHex("beb25379d1a8581eb5a727673a2441ee");

struct User
{
    SRPUser* record;
    std::vector<uint8_t> A;
    ~User() { srp_client_destroy(record); }
};

// A record for "alice" / "password123", begun with the secret a of kSecretA.
std::unique_ptr<User> begunUser(SRPHash hash, SRPGroup group, const char* nHex = nullptr,
                                const char* gHex = nullptr)
{
    const std::string password = "password123";
    auto user = std::make_unique<User>();
    user->record = srp_client_create(hash, group, "alice", reinterpret_cast<const uint8_t*>(password.data()),
                                     static_cast<int>(password.size()), nHex, gHex);
    EXPECT_NE(user->record, nullptr);
    if (user->record == nullptr) {
        return user;
    }
    ReplayRandomSource random(kSecretA);
    const char* username = nullptr;
    const uint8_t* bytesA = nullptr;
    int lengthA = 0;
    srp_client_begin(user->record, &username, &bytesA, &lengthA, &random);
    EXPECT_STREQ(username, "alice");
    EXPECT_GT(lengthA, 0);
    if (bytesA != nullptr) {
        user->A.assign(bytesA, bytesA + lengthA);
    }
    return user;
}

TestServer serverFor(SRPHash hash, const SRP_gN* group, std::vector<uint8_t> salt = kSalt)
{
    return TestServer{hash, group->N, group->g, "alice", "password123", std::move(salt), kSecretB};
}

// Runs respond against the server and checks M, K and the server's proof.
void expectExchangeSucceeds(User& user, const TestServer& server, const std::vector<uint8_t>& sentB)
{
    const uint8_t* bytesM = nullptr;
    int lengthM = 0;
    srp_client_respond(user.record, server.salt.data(), static_cast<int>(server.salt.size()), sentB.data(),
                       static_cast<int>(sentB.size()), &bytesM, &lengthM);
    ASSERT_NE(bytesM, nullptr);
    const std::vector<uint8_t> M(bytesM, bytesM + lengthM);
    EXPECT_EQ(toHex(M), toHex(server.clientProof(user.A)));
    int keyLength = 0;
    const uint8_t* key = srp_client_shared_key(user.record, &keyLength);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(toHex(key, static_cast<size_t>(keyLength)), toHex(server.sharedKey(user.A)));
    EXPECT_EQ(srp_client_is_authenticated(user.record), 0);
    const std::vector<uint8_t> proof = server.serverProof(user.A);
    srp_client_check_server(user.record, proof.data(), static_cast<int>(proof.size()));
    EXPECT_EQ(srp_client_is_authenticated(user.record), 1);
}

const SRP_gN* openSslGroup(const char* bits)
{
    const SRP_gN* group = SRP_get_default_gN(bits);
    EXPECT_NE(group, nullptr) << bits;
    return group;
}

TEST(SrpClient, CompletesAnExchangeInEveryGroup)
{
    const std::pair<SRPGroup, const char*> groups[] = {
        {SRPGroup1024, "1024"}, {SRPGroup2048, "2048"}, {SRPGroup4096, "4096"}, {SRPGroup8192, "8192"}};
    for (const auto& [group, bits] : groups) {
        SCOPED_TRACE(bits);
        auto user = begunUser(SRPHashSHA1, group);
        const TestServer server = serverFor(SRPHashSHA1, openSslGroup(bits));
        expectExchangeSucceeds(*user, server, server.publicValue());
    }
}

TEST(SrpClient, CompletesAnExchangeWithEveryDigest)
{
    const std::pair<SRPHash, int> hashes[] = {{SRPHashSHA1, 20},   {SRPHashSHA224, 28},
                                              {SRPHashSHA256, 32}, {SRPHashSHA384, 48},
                                              {SRPHashSHA512, 64}, {SRPHashRIPEMD160, 20}};
    for (const auto& [hash, hlen] : hashes) {
        SCOPED_TRACE(hlen);
        auto user = begunUser(hash, SRPGroup2048);
        const TestServer server = serverFor(hash, openSslGroup("2048"));
        expectExchangeSucceeds(*user, server, server.publicValue());
        int keyLength = 0;
        srp_client_shared_key(user->record, &keyLength);
        EXPECT_EQ(keyLength, 2 * hlen);
    }
}

TEST(SrpClient, CustomGroupFromHexText)
{
    const SRP_gN* group = openSslGroup("1024");
    std::unique_ptr<char, void (*)(void*)> nHex(BN_bn2hex(group->N), [](void* p) { OPENSSL_free(p); });
    auto user = begunUser(SRPHashSHA1, SRPGroupCustom, nHex.get(), "2");
    const TestServer server = serverFor(SRPHashSHA1, group);
    expectExchangeSucceeds(*user, server, server.publicValue());
}

TEST(SrpClient, CustomGroupWithGLongerThanNGivesNoProof)
{
    auto user = begunUser(SRPHashSHA1, SRPGroupCustom, "FB", "0102");
    const std::vector<uint8_t> B = fromHex("05");
    const uint8_t* bytesM = kSalt.data();
    int lengthM = -1;
    srp_client_respond(user->record, kSalt.data(), static_cast<int>(kSalt.size()), B.data(), 1, &bytesM,
                       &lengthM);
    EXPECT_EQ(bytesM, nullptr);
    EXPECT_EQ(lengthM, 0);
}

TEST(SrpClient, LeadingZeroBytesOfSaltAndBCarryNoWeight)
{
    const SRP_gN* group = openSslGroup("2048");
    // The server sends its salt with a leading zero byte and B padded with two of them.
    std::vector<uint8_t> salt = kSalt;
    salt[0] = 0;
    auto user = begunUser(SRPHashSHA1, SRPGroup2048);
    const TestServer server = serverFor(SRPHashSHA1, group, salt);
    expectExchangeSucceeds(*user, server, join({{0, 0}, server.publicValue()}));

    // The same exchange with the 15-byte salt and the minimal B gives the same M and K.
    auto trimmed = begunUser(SRPHashSHA1, SRPGroup2048);
    const uint8_t* firstM = nullptr;
    int firstLength = 0;
    const std::vector<uint8_t> B = server.publicValue();
    srp_client_respond(trimmed->record, salt.data() + 1, static_cast<int>(salt.size() - 1), B.data(),
                       static_cast<int>(B.size()), &firstM, &firstLength);
    ASSERT_NE(firstM, nullptr);
    EXPECT_EQ(toHex(firstM, static_cast<size_t>(firstLength)), toHex(server.clientProof(user->A)));
}

TEST(SrpClient, RefusesABThatIsZeroModuloN)
{
    const SRP_gN* group = openSslGroup("2048");
    BigNumber twiceN(BN_dup(group->N), &BN_free);
    BN_lshift1(twiceN.get(), twiceN.get());
    const std::pair<const char*, std::vector<uint8_t>> zeroes[] = {
        {"empty", {}},
        {"256 zero bytes", std::vector<uint8_t>(256, 0)},
        {"N", bytesOf(group->N)},
        {"2N", bytesOf(twiceN.get())},
    };
    for (const auto& [name, B] : zeroes) {
        SCOPED_TRACE(name);
        auto user = begunUser(SRPHashSHA1, SRPGroup2048);
        const uint8_t* bytesM = reinterpret_cast<const uint8_t*>(name);
        int lengthM = -1;
        srp_client_respond(user->record, kSalt.data(), static_cast<int>(kSalt.size()), B.data(),
                           static_cast<int>(B.size()), &bytesM, &lengthM);
        EXPECT_EQ(bytesM, nullptr);
        EXPECT_EQ(lengthM, 0);
        int keyLength = -1;
        EXPECT_EQ(srp_client_shared_key(user->record, &keyLength), nullptr);
        EXPECT_EQ(keyLength, 0);
        // No proof at all can authenticate: not zeros, not the digest of anything.
        const std::vector<uint8_t> zeros(20, 0);
        srp_client_check_server(user->record, zeros.data(), static_cast<int>(zeros.size()));
        const std::vector<uint8_t> digestOfEmpty = H(SRPHashSHA1, {});
        srp_client_check_server(user->record, digestOfEmpty.data(), static_cast<int>(digestOfEmpty.size()));
        EXPECT_EQ(srp_client_is_authenticated(user->record), 0);
    }
}

TEST(SrpClient, AWrongServerProofThenTheRightOne)
{
    auto user = begunUser(SRPHashSHA1, SRPGroup2048);
    const TestServer server = serverFor(SRPHashSHA1, openSslGroup("2048"));
    const std::vector<uint8_t> B = server.publicValue();
    const uint8_t* bytesM = nullptr;
    int lengthM = 0;
    srp_client_respond(user->record, kSalt.data(), static_cast<int>(kSalt.size()), B.data(),
                       static_cast<int>(B.size()), &bytesM, &lengthM);
    ASSERT_EQ(lengthM, 20);
    const std::vector<uint8_t> proof = server.serverProof(user->A);

    for (size_t i = 0; i < proof.size(); ++i) {
        std::vector<uint8_t> wrong = proof;
        wrong[i] ^= 0x01;
        srp_client_check_server(user->record, wrong.data(), static_cast<int>(wrong.size()));
        ASSERT_EQ(srp_client_is_authenticated(user->record), 0) << "byte " << i << " changed";
    }
    srp_client_check_server(user->record, proof.data(), static_cast<int>(proof.size() - 1));
    EXPECT_EQ(srp_client_is_authenticated(user->record), 0) << "a proof one byte short";

    // Bytes past the first hlen are not compared.
    std::vector<uint8_t> longer = join({proof, {0xee}});
    srp_client_check_server(user->record, longer.data(), static_cast<int>(longer.size()));
    EXPECT_EQ(srp_client_is_authenticated(user->record), 1);
    // Once set, a wrong proof does not clear the flag.
    srp_client_check_server(user->record, kSalt.data(), static_cast<int>(kSalt.size()));
    EXPECT_EQ(srp_client_is_authenticated(user->record), 1);
}

TEST(SrpClient, ARecordThatWasNeverBegunGivesNothingAndIsDestroyedCleanly)
{
    const uint8_t password[] = {'2', '2', '7', '1'};
    SRPUser* user = srp_client_create(SRPHashSHA1, SRPGroup2048, "user", password, 4, nullptr, nullptr);
    ASSERT_NE(user, nullptr);
    const std::vector<uint8_t> B = fromHex("02");
    const uint8_t* bytesM = nullptr;
    int lengthM = -1;
    srp_client_respond(user, kSalt.data(), static_cast<int>(kSalt.size()), B.data(), 1, &bytesM, &lengthM);
    EXPECT_EQ(bytesM, nullptr);
    EXPECT_EQ(lengthM, 0);
    EXPECT_EQ(srp_client_shared_key(user, nullptr), nullptr);
    EXPECT_EQ(srp_client_is_authenticated(user), 0);
    srp_client_destroy(user);
    srp_client_destroy(nullptr);
}

TEST(SrpClient, BeginWithoutRandomBytesGivesNothing)
{
    const uint8_t password[] = {'2', '2', '7', '1'};
    SRPUser* user = srp_client_create(SRPHashSHA1, SRPGroup2048, "user", password, 4, nullptr, nullptr);
    ASSERT_NE(user, nullptr);
    ReplayRandomSource tooFew(std::vector<uint8_t>(31, 7));
    const char* username = "unset";
    const uint8_t* bytesA = password;
    int lengthA = -1;
    srp_client_begin(user, &username, &bytesA, &lengthA, &tooFew);
    EXPECT_EQ(username, nullptr);
    EXPECT_EQ(bytesA, nullptr);
    EXPECT_EQ(lengthA, 0);
    srp_client_destroy(user);
}

TEST(SrpClient, CreateRefusesWhatCannotMakeAnExchange)
{
    const uint8_t password[] = {'p'};
    struct Case
    {
        const char* name;
        SRPHash hash;
        SRPGroup group;
        const char* username;
        int passwordLength;
        const char* nHex;
        const char* gHex;
    };
    const Case cases[] = {
        {"unknown digest", static_cast<SRPHash>(6), SRPGroup2048, "u", 1, nullptr, nullptr},
        {"unknown group", SRPHashSHA1, static_cast<SRPGroup>(5), "u", 1, nullptr, nullptr},
        {"negative password length", SRPHashSHA1, SRPGroup2048, "u", -1, nullptr, nullptr},
        {"no username", SRPHashSHA1, SRPGroup2048, nullptr, 1, nullptr, nullptr},
        {"custom group without texts", SRPHashSHA1, SRPGroupCustom, "u", 1, nullptr, nullptr},
        {"custom group, N not hexadecimal", SRPHashSHA1, SRPGroupCustom, "u", 1, "EEAF0AB9XX", "2"},
        {"custom group, empty g", SRPHashSHA1, SRPGroupCustom, "u", 1, "EEAF0AB9", ""},
    };
    for (const Case& c : cases) {
        SRPUser* user =
            srp_client_create(c.hash, c.group, c.username, password, c.passwordLength, c.nHex, c.gHex);
        EXPECT_EQ(user, nullptr) << c.name;
        srp_client_destroy(user);
    }
}

} // namespace
