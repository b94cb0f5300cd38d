#pragma once

#include "airplay/ClientManagerDelegate.h"

#include <QStringList>

// A controller that records, in order, what the client manager asks of it, and holds the
// fields the client manager reads and writes.
class RecordingController : public ClientManagerDelegate
{
public:
    QStringList calls;
    QStringList logEntries;

    QString commandTypeValue;
    bool authorized = false;
    qint64 currentItem = -1;
    QString nonce;
    quint64 failures = 0;
    QString password;
    bool passOpened = false;
    QString host;
    qint64 port = 0;

    QString commandType() const override { return commandTypeValue; }
    void setIsAuthorized(bool value) override;
    qint64 currentlyPlayingSongID() const override { return currentItem; }
    void setNounce(const QString& value) override { nonce = value; }
    quint64 failTimeCount() const override { return failures; }
    void setFailTimeCount(quint64 value) override { failures = value; }
    QString passWord() const override { return password; }
    bool isPassOpened() const override { return passOpened; }
    void setIsPassOpened(bool value) override { passOpened = value; }
    void setHost(const QString& value) override { host = value; }
    void setPort(qint64 value) override { port = value; }

    void doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt) override;
    void doPairSetupPin3WithServerProof(const QByteArray& proof) override;
    void doPairVerify1() override;
    void doPairVerify2WithData(const QByteArray& data) override;
    void updateSongProgress(const QString& duration, const QString& location) override;
    void GetPlayBackProcess() override;
    void StartPlayingMusic(qint64 index) override;
    void authorize(const QString& nonceValue, const QString& passwordValue) override;
    void openPinEnter() override;
    void showAlert(const QString& informativeText) override;
    void addToLog(const QString& text) override;
    void connectionFailed(const QString& device, const QString& reason) override;
};
