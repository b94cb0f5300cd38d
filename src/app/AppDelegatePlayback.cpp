#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/ContentHelper.h"
#include "app/Controls.h"
#include "app/RecentDocuments.h"
#include "diagnostics/SystemLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

using namespace std::chrono_literals;

constexpr auto tableClickPause = 3s;
constexpr auto stopCompletion = 1s;
constexpr auto progressInterval = 1s;

const QString noAppleTv = QStringLiteral("No any AppleTV found");
const QString stillStarting = QStringLiteral("You can not play another song while one is initialize");

// The leading number of a text (after white space), 0 when there is none.
double leadingDouble(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    char* end = nullptr;
    const double value = std::strtod(bytes.constData(), &end);
    return end == bytes.constData() || !std::isfinite(value) ? 0.0 : value;
}

// The leading integer of a text, fraction dropped, within 32 bits; 0 when there is none.
qint32 leadingInteger(const QString& text)
{
    const double value = std::trunc(leadingDouble(text));
    return static_cast<qint32>(
        std::clamp<double>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

// An address as it stands in a URL: IPv6 in brackets, with its zone's "%" escaped.
QString urlAddress(const QString& address)
{
    if (!address.contains(QLatin1Char(':'))) {
        return address;
    }
    QString escaped = address;
    escaped.replace(QLatin1Char('%'), QStringLiteral("%25"));
    return QStringLiteral("[%1]").arg(escaped);
}

// The header lines that follow the Host line of the progress request and the seek.
QString progressHeaders()
{
    return QStringLiteral("User-Agent: ") + ContentHelper::userAgent() +
           QStringLiteral("\r\nContent-Type: text/parameters\r\n\r\n");
}

} // namespace

bool AppDelegate::tableViewShouldSelectRow(qint64 row)
{
    m_controls.playListTable.setEnabled(false);
    QTimer::singleShot(tableClickPause, this, [this] { m_controls.playListTable.setEnabled(true); });

    if (!canStartAnother()) {
        return false;
    }
    m_currentlyPlayingSongID = row;
    if (m_isAuthorized) {
        showStartingLook();
        m_controls.btnPause.setIdentifier(QStringLiteral("pause"));
        m_controls.btnPause.setImage(QStringLiteral("pauseBtn"));
        m_controls.btnPause.setEnabled(true);
        stop();
        StartPlayingMusic(row);
    } else {
        // An Apple TV that asks for no authorization answers this stop with success: the item
        // starts then, as after an authorization.
        const QPointer<AppDelegate> self(this);
        m_clientManager.sendRawData(
            ContentHelper::contentForStop().toUtf8(), [self](const QByteArray* answer) {
                if (self && answer && answer->startsWith("HTTP/1.1 200 OK") &&
                    self->m_commandType != QLatin1String("AuthCommand")) {
                    systemLog(QStringLiteral("The Apple TV asks for no authorization"));
                    self->m_isAuthorized = true;
                    self->StartPlayingMusic(self->m_currentlyPlayingSongID);
                }
            });
    }
    return false;
}

// The starting look: the spinning indicator and its label in place of the title and album.
void AppDelegate::showStartingLook()
{
    m_controls.lblStartingInfo.setHidden(false);
    m_controls.progressIndicator.setHidden(false);
    m_controls.txtSongName.setHidden(true);
    m_controls.txtAlbumName.setHidden(true);
}

void AppDelegate::applyPrevNextRules(qint64 index)
{
    const qint64 count = m_arrPlayList.size();
    bool matched = true;
    if (count == 1) {
        m_controls.btnNext.setEnabled(false);
        m_controls.btnPrevious.setEnabled(false);
    } else if (index == 0 && count >= 2) {
        m_controls.btnNext.setEnabled(true);
        m_controls.btnPrevious.setEnabled(false);
    } else if (index > 0 && index == count - 1) {
        m_controls.btnNext.setEnabled(false);
        m_controls.btnPrevious.setEnabled(true);
    } else if (index > 0 && index < count - 1) {
        m_controls.btnNext.setEnabled(true);
        m_controls.btnPrevious.setEnabled(true);
    } else {
        matched = false;
    }
    if (matched) {
        m_controls.btnPause.setEnabled(true);
    }
}

void AppDelegate::StartPlayingMusic(qint64 index)
{
    if (index < 0 || index >= m_arrPlayList.size()) {
        systemLog(QStringLiteral("There is no item %1 to start; the playlist has %2")
                      .arg(index)
                      .arg(m_arrPlayList.size()));
        return;
    }
    m_controls.btnPlay.setEnabled(true);
    m_isPlayFinished = false;
    m_controls.reloadTable();
    m_controls.playSlider.setEnabled(true);
    m_controls.btnPause.setEnabled(true);
    applyPrevNextRules(index);
    addToLog(QStringLiteral("Start Playing music"));

    showStartingLook();

    const Playlist& item = m_arrPlayList.at(index);
    m_controls.txtSongName.setText(item.songName);
    m_controls.txtAlbumName.setText(item.songAlbum);

    RecentDocuments::add(item.songPath);

    // The URL carries the port of the media server that the open connection started; while
    // the connection (re)opens, the request waits for it.
    if (m_clientManager.isConnectionOpen()) {
        sendPlayRequest(index, false);
    } else {
        m_itemAwaitingConnection = index;
        m_itemAwaitingIsRetry = false;
        m_clientManager.reopenConnection();
    }
}

void AppDelegate::sendPlayRequest(qint64 index, bool retry)
{
    if (index < 0 || index >= m_arrPlayList.size()) {
        return;
    }
    const Playlist& item = m_arrPlayList.at(index);
    const QString escapedPath = ContentHelper::escapePath(item.songPath);

    // What the request needs is read here, on the main thread; the text is composed, and its
    // two activity log entries written, on a worker.
    const quint16 serverPort = mediaServerPort();
    if (serverPort == 0) {
        systemLog(QStringLiteral("The media server is not running: the Apple TV will not reach %1")
                      .arg(item.songPath));
    }
    const QString address = urlAddress(getIPAddress());
    const QString hostPort = ContentHelper::hostPortValue(m_host, m_port);
    const QString home = QDir::homePath();
    const QPointer<AppDelegate> self(this);
    const std::shared_ptr<ActivityLog> activityLog = m_activityLog;
    QThreadPool::globalInstance()->start(
        [self, activityLog, escapedPath, address, serverPort, hostPort, home, index, retry] {
            const QString request = ContentHelper::contentForLocalFile(escapedPath, address, serverPort,
                                                                       hostPort, home, *activityLog);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, request, index, retry] {
                    if (self) {
                        self->deliverPlayRequest(request, index, retry);
                    }
                },
                Qt::QueuedConnection);
        });
}

// The request names the media server of the connection that was open when it was composed.
// When that connection has closed since, or closes before the Apple TV answers, the item is
// started once more on the connection that opens next, with the server that comes with it.
void AppDelegate::deliverPlayRequest(const QString& request, qint64 index, bool retry)
{
    if (!m_clientManager.isConnectionOpen()) {
        retryPlayRequest(index, retry);
        return;
    }
    m_commandType = QStringLiteral("PlayCommand");
    addToLog(QStringLiteral("Play Start"));
    addToLog(request);
    const QPointer<AppDelegate> self(this);
    m_clientManager.sendRawData(request.toUtf8(), [self, index, retry](const QByteArray* answer) {
        if (self && !answer) {
            self->retryPlayRequest(index, retry);
        }
    });
}

void AppDelegate::retryPlayRequest(qint64 index, bool retried)
{
    if (retried) {
        systemLog(QStringLiteral("The Apple TV closed the connection again before it took the play request"));
        connectionFailed(m_clientManager.connectedService().value_or(ServiceRecord()).name,
                         QStringLiteral("it closed the connection before it took the item"));
        return;
    }
    systemLog(
        QStringLiteral("The connection closed before the Apple TV took the play request; starting again"));
    m_itemAwaitingConnection = index;
    m_itemAwaitingIsRetry = true;
    m_clientManager.reopenConnection();
}

void AppDelegate::stop()
{
    m_clientManager.sendRawData(ContentHelper::contentForStop().toUtf8());
}

void AppDelegate::play()
{
    stop();
    QTimer::singleShot(stopCompletion, this, [this] {
        m_isPlayFinished = true;
        m_currentlyPlayingSongID = -1;
        m_controls.btnPause.setIdentifier(QStringLiteral("play"));
        m_controls.btnPause.setImage(QStringLiteral("playBtn"));
        m_controls.btnPause.setEnabled(false);
        m_controls.reloadTable();
    });
}

void AppDelegate::pause()
{
    if (m_controls.btnPause.identifier() == QLatin1String("pause")) {
        m_controls.btnPause.setIdentifier(QStringLiteral("play"));
        m_controls.btnPause.setImage(QStringLiteral("playBtn"));
        m_clientManager.sendRawData(ContentHelper::contentForPause().toUtf8());
    } else {
        m_controls.btnPause.setIdentifier(QStringLiteral("pause"));
        m_controls.btnPause.setImage(QStringLiteral("pauseBtn"));
        m_clientManager.sendRawData(ContentHelper::contentForPlay().toUtf8());
    }
}

// Another item may start only with an Apple TV found and none starting; else the alert says
// why not.
bool AppDelegate::canStartAnother()
{
    if (m_clientManager.arrServices().isEmpty()) {
        showAlert(noAppleTv);
        return false;
    }
    if (!m_controls.progressIndicator.isHidden()) {
        showAlert(stillStarting);
        return false;
    }
    return true;
}

void AppDelegate::step(qint64 index, bool sendStop)
{
    if (index < 0 || index >= m_arrPlayList.size()) {
        systemLog(QStringLiteral("There is no item %1 to step to; the playlist has %2")
                      .arg(index)
                      .arg(m_arrPlayList.size()));
        return;
    }
    m_currentlyPlayingSongID = index;
    m_controls.reloadTable();
    setPrevNextUI();
    if (sendStop) {
        stop();
    }
    showStartingLook();
    StartPlayingMusic(index);
}

void AppDelegate::Next()
{
    if (canStartAnother()) {
        const qint64 count = m_arrPlayList.size();
        step(m_currentlyPlayingSongID == count - 1 ? 0 : m_currentlyPlayingSongID + 1, true);
    }
}

void AppDelegate::PlayNext()
{
    if (canStartAnother()) {
        const qint64 count = m_arrPlayList.size();
        step(m_currentlyPlayingSongID == count - 1 ? 0 : m_currentlyPlayingSongID + 1, false);
    }
}

void AppDelegate::Previous()
{
    if (canStartAnother()) {
        const qint64 count = m_arrPlayList.size();
        const qint64 current = m_currentlyPlayingSongID;
        step(current <= 0 ? count - 1 : current - 1, true);
    }
}

// Runs after the operation that called it, and after the button rules of the start it made:
// the ends of the list follow the same rules as a start.
void AppDelegate::setPrevNextUI()
{
    QTimer::singleShot(0, this, [this] {
        m_controls.btnPrevious.setEnabled(true);
        m_controls.btnNext.setEnabled(true);
        applyPrevNextRules(m_currentlyPlayingSongID);
    });
}

// At most one progress request is in flight, and the next goes out no sooner than a second
// after the one before: every successful answer asks for one, and without this the requests
// would multiply with every pause, seek and stop.
void AppDelegate::GetPlayBackProcess()
{
    if (m_progressRequestPending) {
        return;
    }
    m_progressRequestPending = true;
    const std::chrono::milliseconds sinceLast(
        m_lastProgressRequest.isValid() ? m_lastProgressRequest.elapsed() : progressInterval.count() * 1000);
    QTimer::singleShot(std::max<std::chrono::milliseconds>(0ms, progressInterval - sinceLast), this,
                       &AppDelegate::sendProgressRequest);
}

void AppDelegate::sendProgressRequest()
{
    addToLog(QStringLiteral("Get Playback Progress Called"));
    const QString request = QStringLiteral("GET /scrub HTTP/1.1 \r\nHost:%1\r\n")
                                .arg(ContentHelper::hostPortValue(m_host, m_port)) +
                            progressHeaders();
    m_lastProgressRequest.start();
    const QPointer<AppDelegate> self(this);
    m_clientManager.sendRawData(request.toUtf8(), [self](const QByteArray*) {
        if (self) {
            self->m_progressRequestPending = false;
        }
    });
}

void AppDelegate::updateSongProgress(const QString& duration, const QString& location)
{
    QTimer::singleShot(0, this, [this, duration, location] {
        const double position = leadingDouble(location);
        const double length = leadingDouble(duration);
        if (position > 1) {
            m_controls.txtSongName.setHidden(false);
            m_controls.txtAlbumName.setHidden(false);
            m_controls.progressIndicator.setHidden(true);
            m_controls.lblStartingInfo.setHidden(true);
            m_isPlayFinished = false;
        } else {
            m_controls.txtSongName.setHidden(true);
            m_controls.txtAlbumName.setHidden(true);
            m_controls.progressIndicator.setHidden(m_isPlayFinished);
            m_controls.lblStartingInfo.setHidden(m_isPlayFinished);
        }
        if (position > 1 && position == length) {
            m_controls.txtSongName.setHidden(true);
            m_controls.txtAlbumName.setHidden(true);
            m_controls.progressIndicator.setHidden(true);
            m_controls.lblStartingInfo.setHidden(true);
            m_isPlayFinished = true;
        }
        m_controls.playSlider.setMaxValue(length);
        m_controls.playSlider.setMinValue(0);
        m_controls.playSlider.setDoubleValue(position);
        m_controls.txtDuration.setText(QStringLiteral("%1 / %2").arg(
            timeFormatted(leadingInteger(location)), timeFormatted(leadingInteger(duration))));
    });
}

void AppDelegate::seekPlayer()
{
    if (m_controls.txtSongName.isHidden()) {
        return;
    }
    const QString requestLine = QStringLiteral("POST /scrub?position=%1 HTTP/1.1 ")
                                    .arg(m_controls.playSlider.doubleValue(), 0, 'f', 6);
    const QString request =
        requestLine + QStringLiteral("\r\nHost:%1\r\n").arg(ContentHelper::hostPortValue(m_host, m_port)) +
        progressHeaders();
    m_clientManager.sendRawData(request.toUtf8());
}

QString AppDelegate::timeFormatted(qint32 totalSeconds)
{
    const qint32 seconds = std::max(totalSeconds, 0);
    if (seconds < 3600) {
        return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60);
    }
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}
