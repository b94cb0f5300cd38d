#pragma once

#include "airplay/ClientManagerDelegate.h"
#include "airplay/URLPanel.h"
#include "app/PlayCellConfiguration.h"
#include "diagnostics/ActivityLog.h"
#include "library/MediaImporter.h"
#include "library/Playlist.h"
#include "library/PlaylistStore.h"
#include "library/UserDefaults.h"
#include "pairing/PairingDelegate.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

class ClientManager;
class MediaServer;
class PublishedFiles;
class ServicePublisher;
class Controls;
class HttpRequestMessage;
class PinPairing;
class Prompter;
struct SRPUser;

// The application controller: the one object that holds the state of a run — the playlist
// in memory, the playing item, the connected Apple TV, how far authentication has gone, the
// command whose answer is awaited — and the start-up sequence. It drives the window through
// `Controls` and asks the user through `Prompter`; it never touches a widget.
class AppDelegate : public QObject,
                    public ClientManagerDelegate,
                    public URLPanelDelegate,
                    public PairingDelegate
{
    Q_OBJECT

public:
    AppDelegate(Controls& controls, Prompter& prompter, ClientManager& clientManager,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    // Start-up and quitting.
    void applicationDidFinishLaunching();
    void QuitApp();

    // State of a run.
    const QList<Playlist>& arrPlayList() const { return m_arrPlayList; }
    void setArrPlayList(QList<Playlist> list) { m_arrPlayList = std::move(list); }
    qint64 currentlyPlayingSongID() const override { return m_currentlyPlayingSongID; }
    void setCurrentlyPlayingSongID(qint64 index) { m_currentlyPlayingSongID = index; }
    bool isPlayFinished() const { return m_isPlayFinished; }
    void setIsPlayFinished(bool finished) { m_isPlayFinished = finished; }
    QString commandType() const override { return m_commandType; }
    void setCommandType(const QString& type) override { m_commandType = type; }
    bool isAuthorized() const { return m_isAuthorized; }
    void setIsAuthorized(bool authorized) override { m_isAuthorized = authorized; }
    QString host() const { return m_host; }
    void setHost(const QString& host) override { m_host = host; }
    qint64 port() const { return m_port; }
    void setPort(qint64 port) override { m_port = port; }
    QString nounce() const { return m_nounce; }
    void setNounce(const QString& nonce) override { m_nounce = nonce; }
    QString passWord() const override { return m_passWord; }
    void setPassWord(const QString& password) { m_passWord = password; }
    quint64 failTimeCount() const override { return m_failTimeCount; }
    void setFailTimeCount(quint64 count) override { m_failTimeCount = count; }
    bool isPassOpened() const override { return m_isPassOpened; }
    void setIsPassOpened(bool opened) override { m_isPassOpened = opened; }
    SRPUser* user() const override { return m_user.get(); }
    void setUser(SRPUser* user) override;
    const QByteArray& privateKey1Data() const override { return m_privateKey1Data; }
    void setPrivateKey1Data(const QByteArray& key) override { m_privateKey1Data = key; }
    const QByteArray& publicKey1Data() const override { return m_publicKey1Data; }
    void setPublicKey1Data(const QByteArray& key) override { m_publicKey1Data = key; }
    const QByteArray& privateKey2Data() const override { return m_privateKey2Data; }
    void setPrivateKey2Data(const QByteArray& key) override { m_privateKey2Data = key; }
    const QByteArray& publicKey2Data() const override { return m_publicKey2Data; }
    void setPublicKey2Data(const QByteArray& key) override { m_publicKey2Data = key; }
    bool popoverButtonIsPressed() const { return m_popoverButtonIsPressed; }

    // Objects the controller works with.
    ClientManager& clientManager() const { return m_clientManager; }
    Controls& controls() const { return m_controls; }
    URLPanel& urlPanel() { return m_urlPanel; }
    UserDefaults& userDefaults() { return m_userDefaults; }

    // The local media server; answers the "Test" signal of the client manager with a new
    // server on a port the system chooses, which serves the files of the playlist.
    void startLocalServer();
    // The address of this machine that media URLs carry: the one the Apple TV reaches us on.
    QString getIPAddress() const;
    // The media server's listening port; 0 while none runs.
    quint16 mediaServerPort() const;

    // Playback: choosing a row, starting an item, the player's controls, stepping, and
    // following the position.
    bool tableViewShouldSelectRow(qint64 row);
    void StartPlayingMusic(qint64 index) override;
    void stop();
    void play();
    void pause();
    void Next();
    void PlayNext();
    void Previous();
    void setPrevNextUI();
    void GetPlayBackProcess() override;
    void updateSongProgress(const QString& duration, const QString& location) override;
    void seekPlayer();
    static QString timeFormatted(qint32 totalSeconds);

    // The structured request path: builds a request, adds the device identifier, logs and
    // sends it.
    void post(const QString& resource, const QByteArray& body, const HeaderFields& headers) override;
    void prepareRequest(const QString& method, const QString& resource, const QByteArray& body,
                        const HeaderFields& headers);
    void sendRequest(HttpRequestMessage& message, const HeaderFields& headers);
    static void printHTTPMessage(const HttpRequestMessage& message);

    // Password authorization and the entry panel.
    void authorize(const QString& nonce, const QString& password) override;
    void openPinEnter() override;
    void openUrl(const QString& text) override;

    // Pairing.
    void PairPinStart();
    void confirmPin();
    void doPairSetupPin2WithServerPublicKey(const QByteArray& pk, const QByteArray& salt) override;
    void doPairSetupPin3WithServerProof(const QByteArray& proof) override;
    void doPairVerify1() override;
    void doPairVerify2WithData(const QByteArray& data) override;
    QString randomStringWithLength(int n) const;

    // The playlist store and media import.
    QString applicationDocumentsDirectory() const;
    PlaylistStore* playlistStore();
    void getSongsList();
    bool addToPlayList(const QString& name, const QString& album, const QString& artist, const QString& path,
                       const QString& time);
    void deleteFromPlaylist(qint64 tag);
    void saveAction();
    void saveBookmarkData(const QUrl& url);
    void openLocalMedia(const QString& text);
    bool applicationOpenFile(const QString& name);
    void importMediaFiles(const QStringList& paths);
    MediaImporter& mediaImporter();
    void onOpenMediaFile();
    void onOpenURL();

    // The window.
    void togglePopover();

    // The playlist view.
    qint64 numberOfRowsInTableView() const;
    PlayCellConfiguration tableViewViewForRow(qint64 row) const;

    // Diagnostics and alerts.
    void addToLog(const QString& text) override;
    void showAlert(const QString& informativeText) override;
    void connectionFailed(const QString& device, const QString& reason) override;

    // Discovery and the device menu.
    DeviceMenu* airplayDevices() override;
    void setAirplayDevices(const DeviceMenu& menu) override;
    // The device button's action: pops up the device menu (the placeholder while no Apple TV
    // has been found), with what else the button offers.
    void openAirplayMenu();
    // The menu item "Connect to address…": asks for an address and connects to it.
    void connectToAddress();
    // Connects to the Apple TV at this "host:port"; a text that is no address is refused
    // with an alert that says why.
    void connectToDeviceAddress(const QString& text);

signals:
    // Discovery and the device menu: the window pops this menu up at the device button.
    void popUpDeviceMenu(const DeviceMenu& menu);

private:
    void restoreBookmarkAccess();
    void applyListLayout();
    void publishPlaylist();
    void showStartingLook();
    void applyPrevNextRules(qint64 index);
    bool canStartAnother();
    void step(qint64 index, bool sendStop);
    void sendProgressRequest();
    void sendPlayRequest(qint64 index, bool retry);
    void deliverPlayRequest(const QString& request, qint64 index, bool retry);
    void retryPlayRequest(qint64 index, bool retried);

    Controls& m_controls;
    Prompter& m_prompter;
    ClientManager& m_clientManager;
    // Shared with the worker that composes the play request.
    std::shared_ptr<ActivityLog> m_activityLog;
    UserDefaults m_userDefaults;
    URLPanel m_urlPanel;
    std::unique_ptr<PinPairing> m_pairing;

    struct SRPUserDeleter
    {
        void operator()(SRPUser* user) const;
    };

    QList<Playlist> m_arrPlayList;
    qint64 m_currentlyPlayingSongID = -1;
    bool m_isPlayFinished = false;
    QString m_commandType;
    bool m_isAuthorized = false;
    QString m_host;
    qint64 m_port = 0;
    QString m_nounce;
    QString m_passWord;
    quint64 m_failTimeCount = 0;
    bool m_isPassOpened = false;
    std::unique_ptr<SRPUser, SRPUserDeleter> m_user;
    QByteArray m_privateKey1Data;
    QByteArray m_publicKey1Data;
    QByteArray m_privateKey2Data;
    QByteArray m_publicKey2Data;
    bool m_popoverButtonIsPressed = false;

    // The local media server and what it publishes.
    std::shared_ptr<PublishedFiles> m_publishedFiles;
    std::unique_ptr<MediaServer> m_httpServer;
    std::unique_ptr<ServicePublisher> m_servicePublisher;

    // Progress polling: at most one request in flight, at most one a second.
    QElapsedTimer m_lastProgressRequest;
    bool m_progressRequestPending = false;
    // An item whose play request waits for the control connection (and so the media
    // server) to open; -1 for none.
    qint64 m_itemAwaitingConnection = -1;
    bool m_itemAwaitingIsRetry = false;

    // The playlist store and media import.
    std::unique_ptr<PlaylistStore> m_playlistStore;
    std::unique_ptr<MediaImporter> m_mediaImporter;

    // Discovery and the device menu.
    std::optional<DeviceMenu> m_airplayDevices;
};
