#include "SrpServer.h"

#include "Crypto.h"

#include <openssl/bn.h>

#include <stdexcept>

namespace {

constexpr const char* groupPrime2048 =
    "AC6BDB41324A9A9BF166DE5E1389582FAF72B6651987EE07FC3192943DB56050A37329CBB4A099ED8193E0757767A13D"
    "D52312AB4B03310DCD7F48A9DA04FD50E8083969EDB767B0CF6095179A163AB3661A05FBD5FAAAE82918A9962F0B93B8"
    "55F97993EC975EEAA80D740ADBF4FF747359D041D5C33EA71D281E446B14773BCA97B43A23FB801676BD207A436C6481"
    "F1D2B9078717461A5B9D32E688F87748544523B524B0D57D5EA77A2775D2ECFA032CFBDBF52FB3786160279004E57AE6"
    "AF874E7303CE53299CCC041C7BC308D82A5698F3A8D0C38271AE35F8E9DBFBB694B5C803D89F7AE435DE236D525F5475"
    "9B65E372FCD68EF20FA7111F9E4AFF73";
constexpr std::uint8_t generator = 2;

struct ContextFree
{
    void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};

BIGNUM* fromBytes(ByteView bytes)
{
    BIGNUM* n = BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr);
    if (!n)
        throw std::runtime_error("BN_bin2bn failed");
    return n;
}

BigNumber newNumber()
{
    BigNumber n(BN_new());
    if (!n)
        throw std::runtime_error("BN_new failed");
    return n;
}

Bytes minimal(const BIGNUM* n)
{
    Bytes out(BN_num_bytes(n));
    BN_bn2bin(n, out.data());
    return out;
}

struct Group
{
    BigNumber prime;
    BigNumber base;
};

Group loadGroup()
{
    BIGNUM* prime = nullptr;
    if (BN_hex2bn(&prime, groupPrime2048) == 0)
        throw std::runtime_error("SRP group set-up failed");
    Group group{BigNumber(prime), newNumber()};
    if (BN_set_word(group.base.get(), generator) != 1)
        throw std::runtime_error("SRP group set-up failed");
    return group;
}

// k = H(min(N) || PAD(g)), g left-padded to the length of N.
BIGNUM* multiplier(const Group& group)
{
    Bytes primeBytes = minimal(group.prime.get());
    Bytes paddedBase(primeBytes.size(), 0);
    paddedBase.back() = generator;
    return fromBytes(crypto::sha1(concat({primeBytes, paddedBase})));
}

void check(int ok, const char* what)
{
    if (ok != 1)
        throw std::runtime_error(what);
}

} // namespace

void BignumFree::operator()(bignum_st* n) const
{
    BN_clear_free(n);
}

SrpServer::SrpServer(std::string_view username, ByteView password, ByteView salt)
    : username_(username), salt_(salt.begin(), salt.end())
{
    Group group = loadGroup();
    std::unique_ptr<BN_CTX, ContextFree> ctx(BN_CTX_new());
    if (!ctx)
        throw std::runtime_error("BN_CTX_new failed");

    // x = H(min(s) || H(I ":" P)); the salt enters as a number, so leading zero bytes drop out.
    Bytes identity = crypto::sha1(concat({asBytes(username), asBytes(":"), password}));
    BigNumber saltNumber(fromBytes(salt_));
    Bytes xInput = concat({minimal(saltNumber.get()), identity});
    Bytes xDigest = crypto::sha1(xInput);
    BigNumber x(fromBytes(xDigest));
    crypto::wipe(identity);
    crypto::wipe(xInput);
    crypto::wipe(xDigest);

    verifier_ = newNumber();
    check(BN_mod_exp(verifier_.get(), group.base.get(), x.get(), group.prime.get(), ctx.get()),
          "BN_mod_exp v");

    Bytes secretBytes = crypto::randomBytes(32);
    secret_.reset(fromBytes(secretBytes));
    crypto::wipe(secretBytes);

    BigNumber k(multiplier(group));
    BigNumber kv = newNumber();
    BigNumber gb = newNumber();
    BigNumber publicNumber = newNumber();
    check(BN_mod_mul(kv.get(), k.get(), verifier_.get(), group.prime.get(), ctx.get()), "BN_mod_mul kv");
    check(BN_mod_exp(gb.get(), group.base.get(), secret_.get(), group.prime.get(), ctx.get()),
          "BN_mod_exp g^b");
    check(BN_mod_add(publicNumber.get(), kv.get(), gb.get(), group.prime.get(), ctx.get()), "BN_mod_add B");
    publicValue_ = minimal(publicNumber.get());
}

SrpServer::~SrpServer()
{
    crypto::wipe(sessionKey_);
    crypto::wipe(expectedClientProof_);
}

bool SrpServer::receiveClientValue(ByteView clientValue)
{
    Group group = loadGroup();
    std::unique_ptr<BN_CTX, ContextFree> ctx(BN_CTX_new());
    if (!ctx)
        throw std::runtime_error("BN_CTX_new failed");

    BigNumber a(fromBytes(clientValue));
    BigNumber aModN = newNumber();
    check(BN_nnmod(aModN.get(), a.get(), group.prime.get(), ctx.get()), "BN_nnmod A");
    if (BN_is_zero(aModN.get()))
        return false;
    clientValue_ = minimal(a.get());

    BigNumber u(fromBytes(crypto::sha1(concat({clientValue_, publicValue_}))));
    if (BN_is_zero(u.get()))
        return false;

    // S = (A v^u)^b mod N
    BigNumber vu = newNumber();
    BigNumber base = newNumber();
    BigNumber s = newNumber();
    check(BN_mod_exp(vu.get(), verifier_.get(), u.get(), group.prime.get(), ctx.get()), "BN_mod_exp v^u");
    check(BN_mod_mul(base.get(), a.get(), vu.get(), group.prime.get(), ctx.get()), "BN_mod_mul A v^u");
    check(BN_mod_exp(s.get(), base.get(), secret_.get(), group.prime.get(), ctx.get()), "BN_mod_exp S");

    Bytes premaster = minimal(s.get());
    static constexpr std::uint8_t counter0[] = {0, 0, 0, 0};
    static constexpr std::uint8_t counter1[] = {0, 0, 0, 1};
    sessionKey_ =
        concat({crypto::sha1(concat({premaster, counter0})), crypto::sha1(concat({premaster, counter1}))});
    crypto::wipe(premaster);

    // M = H((H(N) xor H(g)) || H(I) || min(s) || min(A) || min(B) || K), H(g) over the one byte g.
    Bytes primeDigest = crypto::sha1(minimal(group.prime.get()));
    static constexpr std::uint8_t generatorByte[] = {generator};
    Bytes generatorDigest = crypto::sha1(generatorByte);
    for (std::size_t i = 0; i < primeDigest.size(); ++i)
        primeDigest[i] ^= generatorDigest[i];
    BigNumber saltNumber(fromBytes(salt_));
    expectedClientProof_ =
        crypto::sha1(concat({primeDigest, crypto::sha1(asBytes(username_)), minimal(saltNumber.get()),
                             clientValue_, publicValue_, sessionKey_}));
    return true;
}

Bytes SrpServer::serverProof(ByteView clientProof) const
{
    return crypto::sha1(concat({clientValue_, clientProof, sessionKey_}));
}
