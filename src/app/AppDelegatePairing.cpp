#include "app/AppDelegate.h"

#include "crypto/RandomSource.h"
#include "crypto/srp_client.h"
#include "pairing/PinPairing.h"

void AppDelegate::SRPUserDeleter::operator()(SRPUser* user) const
{
    srp_client_destroy(user);
}

void AppDelegate::PairPinStart()
{
    m_pairing->PairPinStart();
}

void AppDelegate::confirmPin()
{
    m_pairing->confirmPin();
}

void AppDelegate::doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt)
{
    m_pairing->doPairSetupPin2WithServerPublicKey(pk, salt);
}

void AppDelegate::doPairSetupPin3WithServerProof(const QByteArray& proof)
{
    m_pairing->doPairSetupPin3WithServerProof(proof);
}

void AppDelegate::doPairVerify1()
{
    m_pairing->doPairVerify1();
}

void AppDelegate::doPairVerify2WithData(const QByteArray& data)
{
    m_pairing->doPairVerify2WithData(data);
}

QString AppDelegate::randomStringWithLength(int n) const
{
    return PinPairing::randomStringWithLength(n, systemRandomSource());
}
