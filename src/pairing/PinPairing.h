#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class PairingDelegate;
class RandomSource;

// Pairing with an Apple TV by the PIN it shows: pair-setup (SRP-6a over three requests, then
// a fresh Ed25519 identity key sent under AES-GCM) and pair-verify (an X25519 exchange and
// the identity key's signature sent under AES-CTR). Each step is started by the Apple TV's
// answer to the one before; the keys live in the controller's fields for the run.
class PinPairing
{
public:
    // The client device identifier: the SRP user name and the X-Apple-Device-ID header.
    static const QByteArray deviceIdentifier;

    // The 32 bytes that seed the Ed25519 identity key; by default the UTF-8 bytes of
    // randomStringWithLength(32).
    using SeedSource = std::function<QByteArray()>;

    PinPairing(PairingDelegate& controller, RandomSource& random, QByteArray userName = deviceIdentifier,
               SeedSource seedSource = {});

    void PairPinStart();
    void confirmPin();
    void doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt);
    void doPairSetupPin3WithServerProof(const QByteArray& proof);
    void doPairVerify1();
    void doPairVerify2WithData(const QByteArray& data);

    // n characters drawn independently and uniformly from "abcdef0123456789".
    static QString randomStringWithLength(int n, RandomSource& random);

private:
    PairingDelegate& m_controller;
    RandomSource& m_random;
    QByteArray m_userName;
    SeedSource m_seedSource;
};
