#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into an orderly quit of the event loop, so that the media
// server, the connection and the store close as on any other quit.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Blocks the signals in this thread and every thread started after it: call first thing
    // in main, before any thread exists.
    static void block();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void onSignal();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
