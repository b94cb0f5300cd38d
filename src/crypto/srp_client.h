#pragma once

// The client side of SRP-6a over the groups of RFC 5054, Appendix A.
//
// Byte forms that reach the peer: every number enters a digest in minimal big-endian form (no
// leading zero bytes), except g inside k = H(N || PAD(g)); u = H(A || B) unpadded; the shared
// key is K = H(S || 00000000) || H(S || 00000001), 2 x hlen bytes.
//
// Calling order: create, begin, respond, check_server, is_authenticated, shared_key; destroy at
// any time. One record serves one exchange. Failures give back null and length 0; nothing here
// writes to a log. Out-parameters must not be null unless said otherwise. Pointers handed out
// point into the record and live until it is destroyed.

#include <cstdint>

class RandomSource;

enum SRPHash : int32_t
{
    SRPHashSHA1 = 0,
    SRPHashSHA224 = 1,
    SRPHashSHA256 = 2,
    SRPHashSHA384 = 3,
    SRPHashSHA512 = 4,
    SRPHashRIPEMD160 = 5,
};

enum SRPGroup : int32_t
{
    SRPGroup1024 = 0,
    SRPGroup2048 = 1,
    SRPGroup4096 = 2,
    SRPGroup8192 = 3,
    SRPGroupCustom = 4, // N and g given as hexadecimal text
};

struct SRPUser;

// Copies username (zero-terminated) and passwordLength bytes of password. nHex and gHex are read
// for SRPGroupCustom only. Returns null when memory runs out, for an unknown hash or group, a
// negative password length, or custom texts that are missing or not hexadecimal.
SRPUser* srp_client_create(SRPHash hash, SRPGroup group, const char* username, const uint8_t* password,
                           int passwordLength, const char* nHex, const char* gHex);

// Draws the secret a (32 bytes from random, or from systemRandomSource() when random is null) and
// gives back the username, A = g^a mod N in minimal form, and its length.
void srp_client_begin(SRPUser* user, const char** username, const uint8_t** bytesA, int* lengthA,
                      RandomSource* random = nullptr);

// From the salt and the server's B, gives back the client proof M and its length hlen. Gives
// back null and 0 before begin, and when B mod N or u is zero.
void srp_client_respond(SRPUser* user, const uint8_t* salt, int saltLength, const uint8_t* bytesB,
                        int lengthB, const uint8_t** bytesM, int* lengthM);

// Marks the record authenticated when the first hlen bytes of proof equal H(A || M || K). A
// proof shorter than hlen never matches; the mark is never cleared.
void srp_client_check_server(SRPUser* user, const uint8_t* proof, int proofLength);

// 1 once the server's proof has matched, else 0.
int srp_client_is_authenticated(const SRPUser* user);

// K and (when keyLength is not null) its length, 2 x hlen; null and 0 before a successful respond.
const uint8_t* srp_client_shared_key(const SRPUser* user, int* keyLength);

// Frees the record after wiping its secrets; null is ignored.
void srp_client_destroy(SRPUser* user);
