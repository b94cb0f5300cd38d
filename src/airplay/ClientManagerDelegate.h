#pragma once

#include "airplay/DeviceMenu.h"

#include <QByteArray>
#include <QString>

// What the client manager needs of the application controller: the controller fields that
// the response dispatcher and the connection read and write, and the operations that the
// Apple TV's answers lead to. The controller implements it.
class ClientManagerDelegate
{
public:
    virtual ~ClientManagerDelegate() = default;

    // Controller fields. A null commandType means none.
    virtual QString commandType() const = 0;
    virtual void setIsAuthorized(bool authorized) = 0;
    virtual qint64 currentlyPlayingSongID() const = 0;
    virtual void setNounce(const QString& nonce) = 0;
    virtual quint64 failTimeCount() const = 0;
    virtual void setFailTimeCount(quint64 count) = 0;
    virtual QString passWord() const = 0;
    virtual bool isPassOpened() const = 0;
    virtual void setIsPassOpened(bool opened) = 0;
    virtual void setHost(const QString& host) = 0;
    virtual void setPort(qint64 port) = 0;

    // Pairing steps.
    virtual void doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt) = 0;
    virtual void doPairSetupPin3WithServerProof(const QByteArray& proof) = 0;
    virtual void doPairVerify1() = 0;
    virtual void doPairVerify2WithData(const QByteArray& data) = 0;

    // Playback.
    virtual void updateSongProgress(const QString& duration, const QString& location) = 0;
    virtual void GetPlayBackProcess() = 0;
    virtual void StartPlayingMusic(qint64 index) = 0;

    // Password authorization and the entry panel.
    virtual void authorize(const QString& nonce, const QString& password) = 0;
    virtual void openPinEnter() = 0;

    // A modal alert with the message "Orvanta" and this informative text; returns once it
    // has been dismissed.
    virtual void showAlert(const QString& informativeText) = 0;

    virtual void addToLog(const QString& text) = 0;

    // The connection to this Apple TV could not be opened.
    virtual void connectionFailed(const QString& device, const QString& reason) = 0;

    // The device menu (`airplayDevices`), none until one is made: discovery builds it and
    // marks the chosen device, the controller shows it. A controller that shows no menu
    // keeps none.
    virtual DeviceMenu* airplayDevices() { return nullptr; }
    virtual void setAirplayDevices(const DeviceMenu&) {}
};
