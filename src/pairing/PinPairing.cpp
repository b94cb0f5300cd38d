#include "pairing/PinPairing.h"

#include "crypto/RandomSource.h"
#include "crypto/aes.h"
#include "crypto/ed25519.h"
#include "crypto/sha512.h"
#include "crypto/srp_client.h"
#include "crypto/x25519.h"
#include "diagnostics/SystemLog.h"
#include "pairing/PairingDelegate.h"

#include <openssl/crypto.h>
#include <plist/plist.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <variant>

namespace {

constexpr int pinLength = 4;
constexpr qsizetype verifyPublicSize = 32;
constexpr qsizetype signatureSize = 64;

const QByteArray propertyListType = QByteArrayLiteral("application/x-apple-binary-plist");
const QByteArray octetStreamType = QByteArrayLiteral("application/octet-stream");

// Wipes a byte array that held a secret.
struct Wiped
{
    QByteArray& bytes;
    ~Wiped() { OPENSSL_cleanse(bytes.data(), static_cast<size_t>(bytes.size())); }
};

struct PropertyListEntry
{
    const char* key;
    std::variant<QByteArray, QString> value; // data, or text
};

QByteArray binaryPropertyList(std::initializer_list<PropertyListEntry> entries)
{
    plist_t dict = plist_new_dict();
    for (const PropertyListEntry& entry : entries) {
        if (const auto* data = std::get_if<QByteArray>(&entry.value)) {
            plist_dict_set_item(dict, entry.key,
                                plist_new_data(data->constData(), static_cast<uint64_t>(data->size())));
        } else {
            plist_dict_set_item(dict, entry.key, plist_new_string(std::get<QString>(entry.value).toUtf8().constData()));
        }
    }
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict, &bytes, &length);
    QByteArray result(bytes, static_cast<qsizetype>(length));
    plist_to_bin_free(bytes);
    plist_free(dict);
    return result;
}

HeaderFields bodyHeaders(const QByteArray& contentType, const QByteArray& body)
{
    HeaderFields headers;
    if (!contentType.isEmpty()) {
        headers.append({QByteArrayLiteral("Content-Type"), contentType});
    }
    headers.append({QByteArrayLiteral("Content-Length"), QByteArray::number(body.size())});
    return headers;
}

// The first 16 bytes of SHA-512(label || secret): the AES keys and vectors of the pairing.
QByteArray derive(const char* label, const uint8_t* secret, size_t secretLength)
{
    Sha512State state;
    std::array<uint8_t, kSha512DigestSize> digest{};
    sha512_start(&state);
    if (sha512_add(&state, reinterpret_cast<const uint8_t*>(label), strlen(label)) != 0
        || sha512_add(&state, secret, secretLength) != 0) {
        return {};
    }
    sha512_finish(&state, digest.data());
    QByteArray derived(reinterpret_cast<const char*>(digest.data()), 16);
    OPENSSL_cleanse(digest.data(), digest.size());
    return derived;
}

const uint8_t* bytes(const QByteArray& array)
{
    return reinterpret_cast<const uint8_t*>(array.constData());
}

uint8_t* bytes(QByteArray& array)
{
    return reinterpret_cast<uint8_t*>(array.data());
}

} // namespace

const QByteArray PinPairing::deviceIdentifier = QByteArrayLiteral("02:6f:72:76:61:6e");

PinPairing::PinPairing(PairingDelegate& controller, RandomSource& random, QByteArray userName,
                       SeedSource seedSource)
    : m_controller(controller)
    , m_random(random)
    , m_userName(std::move(userName))
    , m_seedSource(std::move(seedSource))
{
}

QString PinPairing::randomStringWithLength(int n, RandomSource& random)
{
    static const char alphabet[] = "abcdef0123456789";
    QString text;
    text.reserve(std::max(n, 0));
    for (int i = 0; i < n; ++i) {
        uint8_t draw = 0;
        if (!random.fill(&draw, 1)) {
            return {};
        }
        // 256 is a multiple of 16: the low four bits are uniform.
        text.append(QLatin1Char(alphabet[draw & 0x0f]));
    }
    return text;
}

void PinPairing::PairPinStart()
{
    m_controller.addToLog(QStringLiteral("pair pin start"));
    QByteArray pin = m_controller.passWord().toUtf8();
    const Wiped wipePin{pin};
    if (pin.size() < pinLength) {
        systemLog(QStringLiteral("A PIN of %1 byte(s) cannot be right; pairing not started").arg(pin.size()));
        m_controller.showAlert(QStringLiteral("The PIN has four digits. Type the four digits that your Apple TV "
                                              "shows."));
        m_controller.setIsPassOpened(false);
        return;
    }
    m_controller.setUser(srp_client_create(SRPHashSHA1, SRPGroup2048, m_userName.constData(), bytes(pin), pinLength,
                                           nullptr, nullptr));
    confirmPin();
}

void PinPairing::confirmPin()
{
    m_controller.addToLog(QStringLiteral("confirm Pin"));
    const QByteArray body = binaryPropertyList({{"method", QStringLiteral("pin")},
                                                {"user", QString::fromUtf8(m_userName)}});
    m_controller.post(QStringLiteral("/pair-setup-pin"), body, bodyHeaders({}, body));
}

void PinPairing::doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt)
{
    SRPUser* user = m_controller.user();
    if (!user) {
        systemLog(QStringLiteral("A pair-setup answer came while no pairing was under way; ignored"));
        return;
    }
    m_controller.addToLog(QStringLiteral("doPairSetupPin2WithServerPublicKey"));

    const char* userName = nullptr;
    const uint8_t* bytesA = nullptr;
    int lengthA = 0;
    srp_client_begin(user, &userName, &bytesA, &lengthA, &m_random);
    if (lengthA == 0) {
        systemLog(QStringLiteral("Pairing: the client value could not be made"));
        return;
    }
    const uint8_t* bytesM = nullptr;
    int lengthM = 0;
    srp_client_respond(user, bytes(salt), static_cast<int>(salt.size()), bytes(pk), static_cast<int>(pk.size()),
                       &bytesM, &lengthM);

    const QByteArray body = binaryPropertyList(
        {{"pk", QByteArray(reinterpret_cast<const char*>(bytesA), lengthA)},
         {"proof", bytesM ? QByteArray(reinterpret_cast<const char*>(bytesM), lengthM) : QByteArray()}});
    m_controller.post(QStringLiteral("/pair-setup-pin"), body, bodyHeaders(propertyListType, body));
}

void PinPairing::doPairSetupPin3WithServerProof(const QByteArray& proof)
{
    SRPUser* user = m_controller.user();
    if (!user) {
        systemLog(QStringLiteral("A pair-setup answer came while no pairing was under way; ignored"));
        return;
    }
    m_controller.addToLog(QStringLiteral("doPairSetupPin3WithServerProof"));
    srp_client_check_server(user, bytes(proof), static_cast<int>(proof.size()));
    if (!srp_client_is_authenticated(user)) {
        systemLog(QStringLiteral("Server authentication failed"));
        m_controller.showAlert(QStringLiteral("The Apple TV did not accept the PIN. Choose the item again to get "
                                              "a new PIN."));
        m_controller.setIsPassOpened(false);
        return;
    }
    systemLog(QStringLiteral("Stage 1 complete - you did it!!"));

    int keyLength = 0;
    const uint8_t* sharedKey = srp_client_shared_key(user, &keyLength);
    QByteArray aesKey = derive("Pair-Setup-AES-Key", sharedKey, static_cast<size_t>(keyLength));
    QByteArray aesIv = derive("Pair-Setup-AES-IV", sharedKey, static_cast<size_t>(keyLength));
    const Wiped wipeKey{aesKey};
    const Wiped wipeIv{aesIv};
    if (aesKey.size() != 16 || aesIv.size() != 16) {
        systemLog(QStringLiteral("Pairing: the pair-setup key could not be derived"));
        return;
    }
    aesIv[15] = static_cast<char>(static_cast<uint8_t>(aesIv[15]) + 1);

    QByteArray seed = m_seedSource ? m_seedSource() : randomStringWithLength(32, m_random).toUtf8();
    const Wiped wipeSeed{seed};
    if (seed.size() != static_cast<qsizetype>(kEd25519SeedSize)) {
        systemLog(QStringLiteral("Pairing: no seed for the identity key"));
        return;
    }
    QByteArray publicKey(kEd25519PublicKeySize, '\0');
    QByteArray privateKey(kEd25519PrivateKeySize, '\0');
    ed25519_make_keypair(bytes(publicKey), bytes(privateKey), bytes(seed));
    m_controller.setPrivateKey1Data(privateKey);
    m_controller.setPublicKey1Data(publicKey);
    OPENSSL_cleanse(privateKey.data(), static_cast<size_t>(privateKey.size()));

    QByteArray encryptedKey(publicKey.size(), '\0');
    QByteArray tag(kAesGcmTagSize, '\0');
    const int status = aes128_gcm_encrypt(bytes(aesKey), bytes(aesIv), static_cast<size_t>(aesIv.size()), nullptr, 0,
                                          bytes(publicKey), static_cast<size_t>(publicKey.size()), bytes(encryptedKey),
                                          bytes(tag));
    if (status != AesSuccess) {
        systemLog(QStringLiteral("Pairing: the identity key could not be encrypted: %1").arg(status));
        return;
    }
    const QByteArray body = binaryPropertyList({{"epk", encryptedKey}, {"authTag", tag}});
    m_controller.post(QStringLiteral("/pair-setup-pin"), body, bodyHeaders(propertyListType, body));
}

void PinPairing::doPairVerify1()
{
    m_controller.addToLog(QStringLiteral("doPairVerify1"));
    QByteArray secret(kX25519Size, '\0');
    const Wiped wipeSecret{secret};
    if (!m_random.fill(bytes(secret), static_cast<size_t>(secret.size()))) {
        systemLog(QStringLiteral("Pairing: no random bytes for the verify key"));
        return;
    }
    QByteArray publicValue(kX25519Size, '\0');
    x25519_multiply(bytes(publicValue), bytes(secret), kX25519BasePoint);
    m_controller.setPrivateKey2Data(secret);
    m_controller.setPublicKey2Data(publicValue);

    const QByteArray body = QByteArray::fromRawData("\x01\x00\x00\x00", 4) + publicValue + m_controller.publicKey1Data();
    m_controller.post(QStringLiteral("/pair-verify"), body, bodyHeaders(octetStreamType, body));
}

void PinPairing::doPairVerify2WithData(const QByteArray& data)
{
    m_controller.addToLog(QStringLiteral("doPairVerify2WithData"));
    if (data.size() < verifyPublicSize) {
        systemLog(QStringLiteral("A pair-verify answer of %1 byte(s) holds no public value; ignored").arg(data.size()));
        return;
    }
    const QByteArray& secret = m_controller.privateKey2Data();
    const QByteArray& ourPublic = m_controller.publicKey2Data();
    const QByteArray& identityPublic = m_controller.publicKey1Data();
    const QByteArray& identityPrivate = m_controller.privateKey1Data();
    if (secret.size() != static_cast<qsizetype>(kX25519Size) || identityPrivate.size() != static_cast<qsizetype>(kEd25519PrivateKeySize)
        || identityPublic.size() != static_cast<qsizetype>(kEd25519PublicKeySize)) {
        systemLog(QStringLiteral("A pair-verify answer came before the keys were made; ignored"));
        return;
    }

    const QByteArray theirPublic = data.left(verifyPublicSize);
    QByteArray shared(kX25519Size, '\0');
    const Wiped wipeShared{shared};
    x25519_multiply(bytes(shared), bytes(secret), bytes(theirPublic));
    QByteArray key = derive("Pair-Verify-AES-Key", bytes(shared), static_cast<size_t>(shared.size()));
    QByteArray counter = derive("Pair-Verify-AES-IV", bytes(shared), static_cast<size_t>(shared.size()));
    const Wiped wipeKey{key};
    const Wiped wipeCounter{counter};

    AesCtrState* cipher = nullptr;
    int status = key.size() == 16 && counter.size() == 16 ? aes128_ctr_create(bytes(key), bytes(counter), &cipher)
                                                          : AesParamError;
    if (status != AesSuccess) {
        systemLog(QStringLiteral("Failed to create cryptor: %1").arg(status));
        return;
    }
    // Their signature goes through the cipher first, so that ours is encrypted with the
    // keystream that follows it.
    const QByteArray theirSignature = data.mid(verifyPublicSize);
    QByteArray output(theirSignature.size(), '\0');
    size_t moved = 0;
    status = aes128_ctr_update(cipher, bytes(theirSignature), static_cast<size_t>(theirSignature.size()), bytes(output),
                               static_cast<size_t>(output.size()), &moved);
    if (status == AesSuccess) {
        QByteArray signature(signatureSize, '\0');
        ed25519_make_signature(bytes(signature), bytes(ourPublic + theirPublic), 2 * kX25519Size, bytes(identityPublic),
                               bytes(identityPrivate));
        status = aes128_ctr_update(cipher, bytes(signature), static_cast<size_t>(signature.size()), bytes(output),
                                   static_cast<size_t>(output.size()), &moved);
    }
    aes128_ctr_release(cipher);
    if (status != AesSuccess) {
        systemLog(QStringLiteral("Failed to encrypt: %1").arg(status));
        return;
    }

    const QByteArray body = QByteArray(4, '\0') + output.left(signatureSize);
    m_controller.setCommandType(QStringLiteral("AuthCommand"));
    m_controller.post(QStringLiteral("/pair-verify"), body, bodyHeaders(octetStreamType, body));
}
