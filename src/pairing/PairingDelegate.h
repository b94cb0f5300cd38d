#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

struct SRPUser;

using HeaderFields = QList<QPair<QByteArray, QByteArray>>;

// What the pairing steps need of the controller: its pairing fields, the structured request
// path, the activity log and alerts.
class PairingDelegate
{
public:
    virtual ~PairingDelegate() = default;

    virtual QString passWord() const = 0;
    virtual SRPUser* user() const = 0;
    // Takes ownership; the record held before is destroyed.
    virtual void setUser(SRPUser* user) = 0;
    virtual const QByteArray& privateKey1Data() const = 0;
    virtual void setPrivateKey1Data(const QByteArray& key) = 0;
    virtual const QByteArray& publicKey1Data() const = 0;
    virtual void setPublicKey1Data(const QByteArray& key) = 0;
    virtual const QByteArray& privateKey2Data() const = 0;
    virtual void setPrivateKey2Data(const QByteArray& key) = 0;
    virtual const QByteArray& publicKey2Data() const = 0;
    virtual void setPublicKey2Data(const QByteArray& key) = 0;
    virtual void setCommandType(const QString& type) = 0;
    virtual void setIsPassOpened(bool opened) = 0;

    virtual void post(const QString& resource, const QByteArray& body, const HeaderFields& headers) = 0;
    virtual void addToLog(const QString& text) = 0;
    virtual void showAlert(const QString& informativeText) = 0;
};
