#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

class QLocalSocket;

// One Orvanta a user: a later `orvanta FILE…` hands its files to the Orvanta that runs, over
// a local socket in the user's runtime folder, and ends; the running one opens them.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class HandOver
    {
        Taken,
        NoneRunning,
        Failed
    };

    explicit SingleInstance(QObject* parent = nullptr);

    // The socket: "orvanta.socket" in the user's runtime folder ($XDG_RUNTIME_DIR).
    static QString socketPath();

    // The files of the command line as the running Orvanta is to open them: file URLs (as
    // the desktop hands them over) become paths, relative paths absolute; "http://"
    // addresses stay as they are.
    static QStringList namesToOpen(const QStringList& files);

    // Hands the names to the Orvanta that runs. Failed, with the error saying why, when one
    // runs but did not take them.
    static HandOver handOver(const QStringList& names, QString& error);

    // Takes, from now on, the names that later runs hand over.
    bool listen();

signals:
    void namesHandedOver(const QStringList& names);

private:
    void takeConnections();
    void readNames(QLocalSocket& socket);

    QLocalServer m_server;
};
