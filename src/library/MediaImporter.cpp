#include "library/MediaImporter.h"

#include <QElapsedTimer>
#include <QMutexLocker>

#include <optional>
#include <utility>

namespace {

// The add step gives the window back its event loop after this long, so that it stays
// responsive while thousands of files come in.
constexpr qint64 addSliceMilliseconds = 10;

} // namespace

struct MediaImporter::PendingFile
{
    QString path;
    std::optional<MediaFile> read;
};

MediaImporter::MediaImporter(AddFile addFile, QObject* parent)
    : QObject(parent), m_addFile(std::move(addFile))
{
}

MediaImporter::~MediaImporter()
{
    m_readers.clear();
    m_readers.waitForDone();
}

void MediaImporter::import(const QStringList& paths)
{
    if (paths.isEmpty()) {
        return;
    }
    const bool starting = m_total == 0;
    m_total += static_cast<int>(paths.size());
    for (const QString& path : paths) {
        auto pending = std::make_shared<PendingFile>();
        pending->path = path;
        m_pending.push_back(pending);
        m_readers.start([this, pending] {
            MediaFile read = MediaFile::read(pending->path);
            {
                const QMutexLocker lock(&m_mutex);
                pending->read = std::move(read);
            }
            postAddStep();
        });
    }
    if (starting) {
        emit started(m_total);
    } else {
        emit progressed(m_done, m_total);
    }
}

void MediaImporter::postAddStep()
{
    if (!m_addStepPosted.exchange(true)) {
        QMetaObject::invokeMethod(this, &MediaImporter::addReadFiles, Qt::QueuedConnection);
    }
}

void MediaImporter::addReadFiles()
{
    m_addStepPosted = false;
    // An add step that runs an event loop of its own (an alert) may bring us here again;
    // the step already running carries on in order.
    if (m_adding) {
        return;
    }
    m_adding = true;
    QElapsedTimer slice;
    slice.start();
    int added = 0;
    bool nextIsRead = false;
    while (!m_pending.empty()) {
        std::optional<MediaFile> read;
        {
            const QMutexLocker lock(&m_mutex);
            read = std::exchange(m_pending.front()->read, std::nullopt);
        }
        if (!read) {
            break;
        }
        m_pending.pop_front();
        const QString error = m_addFile(*read);
        if (!error.isEmpty()) {
            m_errors << QStringLiteral("%1: %2").arg(read->path, error);
        }
        ++m_done;
        ++added;
        if (slice.elapsed() >= addSliceMilliseconds) {
            const QMutexLocker lock(&m_mutex);
            nextIsRead = !m_pending.empty() && m_pending.front()->read;
            break;
        }
    }
    m_adding = false;

    if (added > 0 && !m_pending.empty()) {
        emit progressed(m_done, m_total);
    }
    if (nextIsRead) {
        postAddStep();
    }
    if (m_pending.empty() && m_total > 0) {
        const int total = std::exchange(m_total, 0);
        m_done = 0;
        const QStringList errors = std::exchange(m_errors, {});
        emit progressed(total, total);
        emit finished(errors);
    }
}
