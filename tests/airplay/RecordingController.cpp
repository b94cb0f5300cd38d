#include "RecordingController.h"

void RecordingController::setIsAuthorized(bool value)
{
    authorized = value;
    calls << QStringLiteral("setIsAuthorized(%1)").arg(value ? "true" : "false");
}

void RecordingController::doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt)
{
    calls << QStringLiteral("doPairSetupPin2(%1,%2)").arg(QString::fromLatin1(pk.toHex()),
                                                          QString::fromLatin1(salt.toHex()));
}

void RecordingController::doPairSetupPin3WithServerProof(const QByteArray& proof)
{
    calls << QStringLiteral("doPairSetupPin3(%1)").arg(QString::fromLatin1(proof.toHex()));
}

void RecordingController::doPairVerify1()
{
    calls << QStringLiteral("doPairVerify1()");
}

void RecordingController::doPairVerify2WithData(const QByteArray& data)
{
    calls << QStringLiteral("doPairVerify2(%1)").arg(QString::fromLatin1(data.toHex()));
}

void RecordingController::updateSongProgress(const QString& duration, const QString& location)
{
    calls << QStringLiteral("updateSongProgress(%1,%2)").arg(duration, location);
}

void RecordingController::GetPlayBackProcess()
{
    calls << QStringLiteral("GetPlayBackProcess()");
}

void RecordingController::StartPlayingMusic(qint64 index)
{
    calls << QStringLiteral("StartPlayingMusic(%1)").arg(index);
}

void RecordingController::authorize(const QString& nonceValue, const QString& passwordValue)
{
    calls << QStringLiteral("authorize(%1,%2)").arg(nonceValue, passwordValue);
}

void RecordingController::openPinEnter()
{
    calls << QStringLiteral("openPinEnter()");
}

void RecordingController::showAlert(const QString& informativeText)
{
    calls << QStringLiteral("showAlert(%1)").arg(informativeText);
}

void RecordingController::connectionFailed(const QString& device, const QString& reason)
{
    calls << QStringLiteral("connectionFailed(%1,%2)").arg(device, reason);
}

void RecordingController::addToLog(const QString& text)
{
    logEntries << (text.isNull() ? QStringLiteral("(null)") : text);
}
