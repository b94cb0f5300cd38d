#include "app/AppDelegate.h"

void AppDelegate::SRPUserDeleter::operator()(SRPUser*) const
{
}

void AppDelegate::doPairSetupPin2WithServerPublicKey(const QByteArray&, const QByteArray&)
{
}

void AppDelegate::doPairSetupPin3WithServerProof(const QByteArray&)
{
}

void AppDelegate::doPairVerify1()
{
}

void AppDelegate::doPairVerify2WithData(const QByteArray&)
{
}
