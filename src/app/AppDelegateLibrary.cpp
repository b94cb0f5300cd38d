#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "app/Controls.h"
#include "app/Prompter.h"
#include "diagnostics/SystemLog.h"
#include "library/MediaFile.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QVariantList>

namespace {

const QString bookmarkKey = QStringLiteral("BookmarkAccess");

// Appends the file's URL to the bookmark list. The list reaches the disk when the caller
// synchronises the user defaults, or else at the event loop's next turn.
void appendBookmark(UserDefaults& defaults, const QUrl& url)
{
    const QByteArray bookmark = url.isLocalFile() ? url.toEncoded() : QByteArray();
    if (bookmark.isEmpty()) {
        systemLog(QStringLiteral("No bookmark kept for \"%1\": it does not name a file").arg(url.toString()));
        return;
    }
    QVariantList bookmarks = defaults.value(bookmarkKey).toList();
    bookmarks.append(bookmark);
    defaults.setValue(bookmarkKey, bookmarks);
}

// Adds the record to the store; why it was not added, or nothing.
QString addRecord(PlaylistStore* store, const Playlist& record)
{
    QString error = QStringLiteral("the playlist store is not open");
    if (store && store->add(record, error) != 0) {
        return {};
    }
    systemLog(QStringLiteral("Save Failed! %1 %2").arg(record.songPath, error));
    return error;
}

// The add step of an import: a refused file is only logged; a taken one gets its bookmark,
// then its record.
QString addImportedFile(AppDelegate& controller, const MediaFile& file)
{
    if (!file.isAccepted()) {
        systemLog(QStringLiteral("%1 is not added to the playlist: %2").arg(file.path, file.refusal));
        systemLog(QStringLiteral("Not to Add"));
        return {};
    }
    appendBookmark(controller.userDefaults(), QUrl::fromLocalFile(file.path));
    QString error = addRecord(controller.playlistStore(), file.item);
    if (error.isEmpty()) {
        systemLog(QStringLiteral("Add"));
    }
    return error;
}

QString notAddedText(const QStringList& errors)
{
    if (errors.size() == 1) {
        return QStringLiteral("This file could not be added to the playlist:\n%1").arg(errors.first());
    }
    return QStringLiteral("%1 files could not be added to the playlist. The first of them:\n%2")
        .arg(errors.size())
        .arg(errors.first());
}

} // namespace

QString AppDelegate::applicationDocumentsDirectory() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// Opened on first use. A failed opening is not kept: every later use tries again, and says
// again why it fails.
PlaylistStore* AppDelegate::playlistStore()
{
    if (!m_playlistStore) {
        PlaylistStore::OpeningError error;
        m_playlistStore = PlaylistStore::openInFolder(applicationDocumentsDirectory(), error);
        if (!m_playlistStore) {
            systemLog(QStringLiteral("The playlist store cannot be opened: %1 %2")
                          .arg(error.failureReason, error.underlyingError));
            const auto hold = m_clientManager.holdConnection();
            m_prompter.showError(QStringLiteral("Failed to initialize the application's saved data"),
                                 error.failureReason, error.underlyingError);
        }
    }
    return m_playlistStore.get();
}

void AppDelegate::getSongsList()
{
    QList<Playlist> records;
    QString error;
    if (PlaylistStore* store = playlistStore()) {
        records = store->records(error);
    }
    m_arrPlayList = std::move(records);
    publishPlaylist();
    applyListLayout();
    m_controls.reloadTable();
    if (!error.isEmpty()) {
        systemLog(QStringLiteral("The playlist could not be read: %1").arg(error));
        showAlert(QStringLiteral("The playlist could not be read: %1").arg(error));
    }
}

bool AppDelegate::addToPlayList(const QString& name, const QString& album, const QString& artist,
                                const QString& path, const QString& time)
{
    Playlist record;
    record.songName = name;
    record.songAlbum = album;
    record.songArtist = artist;
    record.songPath = path;
    record.songTime = time;
    return addRecord(playlistStore(), record).isEmpty();
}

void AppDelegate::deleteFromPlaylist(qint64 tag)
{
    if (tag < 0 || tag >= m_arrPlayList.size()) {
        systemLog(QStringLiteral("There is no row %1 to delete; the playlist has %2")
                      .arg(tag)
                      .arg(m_arrPlayList.size()));
        return;
    }
    if (tag == m_currentlyPlayingSongID) {
        if (!m_controls.btnPlay.isEnabled()) {
            showAlert(QStringLiteral("You can't delete while its playing"));
            return;
        }
        stop();
        m_controls.progressIndicator.setHidden(true);
        m_controls.lblStartingInfo.setHidden(true);
        m_controls.txtSongName.setText(QString());
        m_controls.txtAlbumName.setText(QString());
    }

    PlaylistStore* store = playlistStore();
    QString error;
    if (store && store->remove(m_arrPlayList.at(tag).storeKey, error)) {
        // The playing item keeps its mark: rows move up under it, and a deleted playing row
        // leaves nothing playing.
        if (tag < m_currentlyPlayingSongID) {
            --m_currentlyPlayingSongID;
        } else if (tag == m_currentlyPlayingSongID) {
            m_currentlyPlayingSongID = -1;
        }
    } else if (store) {
        systemLog(QStringLiteral("Row %1 (%2) could not be deleted: %3")
                      .arg(tag)
                      .arg(m_arrPlayList.at(tag).songPath, error));
        showAlert(QStringLiteral("The item could not be removed from the playlist: %1").arg(error));
    }
    getSongsList();
}

void AppDelegate::saveAction()
{
    PlaylistStore* store = playlistStore();
    QString error;
    if (store && !store->save(error)) {
        systemLog(QStringLiteral("Saving the playlist failed: %1").arg(error));
        const auto hold = m_clientManager.holdConnection();
        m_prompter.showError(QStringLiteral("The playlist could not be saved"), error, QString());
    }
}

void AppDelegate::saveBookmarkData(const QUrl& url)
{
    appendBookmark(m_userDefaults, url);
    m_userDefaults.synchronize();
}

void AppDelegate::openLocalMedia(const QString& text)
{
    QUrl url(text);
    if (url.scheme().isEmpty()) {
        url = QUrl::fromLocalFile(text);
    }
    if (!url.isLocalFile()) {
        systemLog(
            QStringLiteral("%1 is not added to the playlist: it is not the address of a file").arg(text));
        systemLog(QStringLiteral("Not to Add"));
        getSongsList();
        return;
    }
    importMediaFiles({url.toLocalFile()});
}

bool AppDelegate::applicationOpenFile(const QString& name)
{
    if (name.toLower().startsWith(QLatin1String("http://"))) {
        openUrl(name);
    } else {
        openLocalMedia(QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath()).toString(QUrl::FullyEncoded));
    }
    return true;
}

// The files are read in the background and added in their order; the playlist is reloaded
// once all of them are through. Without a store nothing is read: the alert has said why.
void AppDelegate::importMediaFiles(const QStringList& paths)
{
    if (!playlistStore()) {
        m_arrPlayList.clear();
        applyListLayout();
        m_controls.reloadTable();
        return;
    }
    if (paths.isEmpty()) {
        getSongsList();
        return;
    }
    mediaImporter().import(paths);
}

MediaImporter& AppDelegate::mediaImporter()
{
    if (!m_mediaImporter) {
        m_mediaImporter = std::make_unique<MediaImporter>(
            [this](const MediaFile& file) { return addImportedFile(*this, file); });
        connect(m_mediaImporter.get(), &MediaImporter::finished, this, [this](const QStringList& errors) {
            m_userDefaults.synchronize();
            getSongsList();
            if (!errors.isEmpty()) {
                showAlert(notAddedText(errors));
            }
        });
    }
    return *m_mediaImporter;
}

void AppDelegate::onOpenMediaFile()
{
    OpenDialogSettings settings;
    settings.canChooseFiles = true;
    settings.canChooseDirectories = true;
    settings.floatsAboveOtherWindows = true;
    settings.allowsMultipleSelection = false;
    settings.allowedFileTypes = {QStringLiteral("mp3"), QStringLiteral("mp4"),  QStringLiteral("mkv"),
                                 QStringLiteral("avi"), QStringLiteral("mpeg"), QStringLiteral("mov")};
    QString chosen;
    {
        const auto hold = m_clientManager.holdConnection();
        chosen = m_prompter.runOpenDialog(settings);
    }
    if (!chosen.isEmpty()) {
        openLocalMedia(chosen);
    }
}

void AppDelegate::onOpenURL()
{
    openPinEnter();
}
