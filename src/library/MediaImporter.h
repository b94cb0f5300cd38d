#pragma once

#include "library/MediaFile.h"

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

// Brings files into the playlist without holding up the window: each file is read (name,
// file, tags, duration) on a background thread, and handed to the add step on the
// importer's own thread, in the order given, as the reads complete. Files given while an
// import runs join it. The window shows the progress from the signals.
class MediaImporter : public QObject
{
    Q_OBJECT

public:
    // Adds one read file, taken or refused, to the playlist; returns why a taken file could
    // not be added, or nothing.
    using AddFile = std::function<QString(const MediaFile& file)>;

    explicit MediaImporter(AddFile addFile, QObject* parent = nullptr);
    // Drops the reads not begun yet and waits for the others.
    ~MediaImporter() override;

    void import(const QStringList& paths);
    bool isImporting() const { return m_total > 0; }

signals:
    // An import of this many files begins.
    void started(int total);
    // So many of the files are through; the total grows when files join a running import.
    void progressed(int done, int total);
    // Every file is through. The errors name the files that were taken but could not be
    // added, each as "path: reason".
    void finished(const QStringList& errors);

private:
    struct PendingFile;

    void postAddStep();
    void addReadFiles();

    AddFile m_addFile;
    QThreadPool m_readers;
    // Guards the results that the readers leave in the pending files.
    QMutex m_mutex;
    std::deque<std::shared_ptr<PendingFile>> m_pending;
    std::atomic<bool> m_addStepPosted = false;
    bool m_adding = false;
    int m_done = 0;
    int m_total = 0;
    QStringList m_errors;
};
