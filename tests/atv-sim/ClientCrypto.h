#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

// The client's side of pairing, computed with OpenSSL straight from the protocol's rules, so
// that tests can check the simulator byte for byte. Byte strings are std::string.
namespace client {

std::string fromHex(std::string_view hex);
std::string toHex(std::string_view bytes);
std::string randomBytes(std::size_t count);
std::string sha1(std::string_view data);
std::string sha512(std::string_view data);
std::string md5Hex(std::string_view text);
std::string toBase64(std::string_view bytes);
std::string fromBase64(std::string_view text);

// SRP-6a client, 2048-bit group of RFC 5054 (taken from OpenSSL's table), g = 2, SHA-1.
struct SrpExchange
{
    std::string clientPublic; // min(A)
    std::string clientProof;  // M
    std::string sessionKey;   // K, 40 bytes
    std::string serverProof;  // H_AMK the server must answer
};
SrpExchange srpRespond(std::string_view user, std::string_view password, std::string_view salt,
                       std::string_view serverPublic, std::string_view secret);

// Pair-setup AES-GCM key and IVs from K: the client's key goes under the IV with byte 15
// incremented (no carry), the receiver's answer under the IV incremented once more.
std::string setupKey(std::string_view sessionKey);
std::string setupIv(std::string_view sessionKey);
std::string setupReplyIv(std::string_view sessionKey);
// Pair-verify AES-CTR key and counter block from the X25519 secret.
std::string verifyKey(std::string_view shared);
std::string verifyIv(std::string_view shared);

struct Sealed
{
    std::string ciphertext;
    std::string tag;
};
Sealed gcmSeal(std::string_view key, std::string_view iv, std::string_view plaintext);
std::optional<std::string> gcmOpen(std::string_view key, std::string_view iv, std::string_view ciphertext,
                                   std::string_view tag);

std::string ed25519Public(std::string_view seed);
std::string ed25519Sign(std::string_view seed, std::string_view message);
bool ed25519Verify(std::string_view publicKey, std::string_view message, std::string_view signature);

std::string x25519Public(std::string_view secret);
std::string x25519Shared(std::string_view secret, std::string_view peerPublic);

// AES-128-CTR, big-endian 128-bit counter; successive calls continue the keystream.
class Ctr
{
public:
    Ctr(std::string_view key, std::string_view counterBlock);
    ~Ctr();
    Ctr(const Ctr&) = delete;
    Ctr& operator=(const Ctr&) = delete;
    std::string apply(std::string_view input);

private:
    void* ctx_;
};

// Binary property lists of one dictionary. A value is text (std::string) or data (Data).
struct Data
{
    std::string bytes;
};
using PlistValue = std::variant<std::string, Data>;
std::string plist(std::initializer_list<std::pair<std::string, PlistValue>> entries);
// The text and data values of a dictionary; none when the bytes are no dictionary.
std::optional<std::map<std::string, std::string>> plistValues(std::string_view body);

} // namespace client
