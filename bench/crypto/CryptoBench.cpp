// Times each operation of orvanta_crypto beside OpenSSL's equivalent, alternating the two in
// rounds, and prints the medians:
//     BENCH <figure> ours=<ns/op> ref=<ns/op> ratio=<ours/ref>
// Usage: crypto_bench [--rounds N]

#include "crypto/ed25519.h"
#include "crypto/sha512.h"
#include "crypto/srp_client.h"
#include "crypto/x25519.h"

// The SRP reference takes the 2048-bit group from OpenSSL's SRP module, deprecated but present.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/srp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Folds results into something the compiler must keep.
volatile uint8_t sink;

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "crypto_bench: %s failed\n", what);
        std::exit(1);
    }
}

struct Figure
{
    std::string name;
    std::function<void()> ours;
    std::function<void()> reference;
};

double nanosecondsPerOperation(const std::function<void()>& operation, long iterations)
{
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < iterations; ++i) {
        operation();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(iterations);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each round runs ours, then the reference, for about 100 ms each.
void run(const Figure& figure, int rounds)
{
    const double estimate =
        std::max(nanosecondsPerOperation(figure.ours, 3), nanosecondsPerOperation(figure.reference, 3));
    const long iterations = std::max(1L, static_cast<long>(100e6 / estimate));
    std::vector<double> ours, reference;
    for (int round = 0; round < rounds; ++round) {
        ours.push_back(nanosecondsPerOperation(figure.ours, iterations));
        reference.push_back(nanosecondsPerOperation(figure.reference, iterations));
    }
    const double oursMedian = median(ours);
    const double referenceMedian = median(reference);
    std::printf("BENCH %s ours=%.0f ref=%.0f ratio=%.3f\n", figure.name.c_str(), oursMedian, referenceMedian,
                oursMedian / referenceMedian);
    std::fflush(stdout);
}

std::vector<uint8_t> randomBytes(size_t length)
{
    std::vector<uint8_t> bytes(length);
    require(RAND_bytes(bytes.data(), static_cast<int>(length)) == 1, "RAND_bytes");
    return bytes;
}

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

Figure ed25519Signing()
{
    static const std::vector<uint8_t> seed = randomBytes(kEd25519SeedSize);
    static const std::vector<uint8_t> message = randomBytes(64); // the size pair-verify signs
    static uint8_t publicKey[kEd25519PublicKeySize];
    static uint8_t privateKey[kEd25519PrivateKeySize];
    ed25519_make_keypair(publicKey, privateKey, seed.data());

    static Key key(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()),
                   &EVP_PKEY_free);
    static std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                           &EVP_MD_CTX_free);
    require(key && context && EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1,
            "EVP_DigestSignInit");
    return {"ed25519_sign",
            [] {
                uint8_t signature[kEd25519SignatureSize];
                ed25519_make_signature(signature, message.data(), message.size(), publicKey, privateKey);
                sink = sink + signature[0];
            },
            [] {
                uint8_t signature[kEd25519SignatureSize];
                size_t length = sizeof signature;
                require(EVP_DigestSign(context.get(), signature, &length, message.data(), message.size()) ==
                            1,
                        "EVP_DigestSign");
                sink = sink + signature[0];
            }};
}

Figure x25519SharedSecret()
{
    static const std::vector<uint8_t> scalar = randomBytes(kX25519Size);
    static uint8_t peerPublic[kX25519Size];
    x25519_multiply(peerPublic, randomBytes(kX25519Size).data(), kX25519BasePoint);

    static Key own(EVP_PKEY_new_raw_private_key(EVP_PKEY_X25519, nullptr, scalar.data(), scalar.size()),
                   &EVP_PKEY_free);
    static Key peer(EVP_PKEY_new_raw_public_key(EVP_PKEY_X25519, nullptr, peerPublic, sizeof peerPublic),
                    &EVP_PKEY_free);
    static std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(
        EVP_PKEY_CTX_new(own.get(), nullptr), &EVP_PKEY_CTX_free);
    require(context && EVP_PKEY_derive_init(context.get()) == 1 &&
                EVP_PKEY_derive_set_peer(context.get(), peer.get()) == 1,
            "EVP_PKEY_derive_init");
    return {"x25519",
            [] {
                uint8_t out[kX25519Size];
                x25519_multiply(out, scalar.data(), peerPublic);
                sink = sink + out[0];
            },
            [] {
                uint8_t out[kX25519Size];
                size_t length = sizeof out;
                require(EVP_PKEY_derive(context.get(), out, &length) == 1, "EVP_PKEY_derive");
                sink = sink + out[0];
            }};
}

Figure sha512OneMebibyte()
{
    static const std::vector<uint8_t> data = randomBytes(1 << 20);
    return {"sha512_1mib",
            [] {
                uint8_t digest[kSha512DigestSize];
                require(sha512_digest(data.data(), data.size(), digest) == 0, "sha512_digest");
                sink = sink + digest[0];
            },
            [] {
                uint8_t digest[EVP_MAX_MD_SIZE];
                require(EVP_Digest(data.data(), data.size(), digest, nullptr, EVP_sha512(), nullptr) == 1,
                        "EVP_Digest");
                sink = sink + digest[0];
            }};
}

// The exponentiations an SRP client makes with the 2048-bit group and SHA-1, done with BN_mod_exp
// on exponents of the same sizes and with the same constant-time flag.
struct SrpReference
{
    std::unique_ptr<BN_CTX, decltype(&BN_CTX_free)> context{BN_CTX_new(), &BN_CTX_free};
    BIGNUM* N = BN_new();
    BIGNUM* g = BN_new();
    BIGNUM* a = BN_new();        // 256 bits
    BIGNUM* x = BN_new();        // 160 bits, a SHA-1 digest
    BIGNUM* base = BN_new();     // B - k g^x mod N
    BIGNUM* exponent = BN_new(); // a + u x, about 320 bits
    BIGNUM* result = BN_new();

    SrpReference()
    {
        const SRP_gN* group = SRP_get_default_gN("2048");
        require(group != nullptr && BN_copy(N, group->N) != nullptr && BN_copy(g, group->g) != nullptr &&
                    BN_rand(a, 256, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
                    BN_rand(x, 160, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
                    BN_rand_range(base, N) == 1 &&
                    BN_rand(exponent, 320, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1,
                "SRP reference set-up");
        BN_set_flags(a, BN_FLG_CONSTTIME);
        BN_set_flags(x, BN_FLG_CONSTTIME);
        BN_set_flags(exponent, BN_FLG_CONSTTIME);
    }
    ~SrpReference()
    {
        for (BIGNUM* number : {N, g, a, x, base, exponent, result}) {
            BN_free(number);
        }
    }
    SrpReference(const SrpReference&) = delete;
    SrpReference& operator=(const SrpReference&) = delete;

    void exponentiate(const BIGNUM* number, const BIGNUM* power)
    {
        require(BN_mod_exp(result, number, power, N, context.get()) == 1, "BN_mod_exp");
        sink = sink + static_cast<uint8_t>(BN_get_word(result));
    }
};

struct SrpExchange
{
    SRPUser* user = nullptr;
    std::vector<uint8_t> salt = randomBytes(16);
    std::vector<uint8_t> B = randomBytes(256);

    SrpExchange()
    {
        const uint8_t pin[] = {'2', '2', '7', '1'};
        user = srp_client_create(SRPHashSHA1, SRPGroup2048, "75FBEEC773CFC563", pin, 4, nullptr, nullptr);
        require(user != nullptr, "srp_client_create");
        B[0] &= 0x7f; // below N
        begin();
    }
    ~SrpExchange() { srp_client_destroy(user); }
    SrpExchange(const SrpExchange&) = delete;
    SrpExchange& operator=(const SrpExchange&) = delete;

    void begin()
    {
        const char* username = nullptr;
        const uint8_t* bytesA = nullptr;
        int lengthA = 0;
        srp_client_begin(user, &username, &bytesA, &lengthA);
        require(lengthA > 0, "srp_client_begin");
    }
    void respond()
    {
        const uint8_t* bytesM = nullptr;
        int lengthM = 0;
        srp_client_respond(user, salt.data(), static_cast<int>(salt.size()), B.data(),
                           static_cast<int>(B.size()), &bytesM, &lengthM);
        require(lengthM == 20, "srp_client_respond");
        sink = sink + bytesM[0];
    }
};

std::vector<Figure> srpFigures()
{
    static SrpExchange exchange;
    static SrpReference reference;
    return {
        {"srp_respond", [] { exchange.respond(); },
         [] {
             reference.exponentiate(reference.g, reference.x);
             reference.exponentiate(reference.base, reference.exponent);
         }},
        {"srp_begin_respond",
         [] {
             exchange.begin();
             exchange.respond();
         },
         [] {
             reference.exponentiate(reference.g, reference.a);
             reference.exponentiate(reference.g, reference.x);
             reference.exponentiate(reference.base, reference.exponent);
         }},
    };
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: crypto_bench [--rounds N]\n");
            return 2;
        }
    }
    std::vector<Figure> figures = {ed25519Signing(), x25519SharedSecret(), sha512OneMebibyte()};
    for (Figure& figure : srpFigures()) {
        figures.push_back(std::move(figure));
    }
    for (const Figure& figure : figures) {
        run(figure, rounds);
    }
    return 0;
}
