#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/ServicePublisher.h"
#include "app/Controls.h"
#include "app/Prompter.h"
#include "crypto/RandomSource.h"
#include "diagnostics/ConsoleLogger.h"
#include "diagnostics/SystemLog.h"
#include "pairing/PinPairing.h"
#include "server/MediaServer.h"
#include "server/PublishedFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString documentsDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

AppDelegate::AppDelegate(Controls& controls, Prompter& prompter, ClientManager& clientManager,
                         QObject* parent)
    : QObject(parent), m_controls(controls), m_prompter(prompter), m_clientManager(clientManager),
      m_activityLog(std::make_shared<ActivityLog>(documentsDirectory() + QStringLiteral("/textfile.txt"))),
      m_pairing(std::make_unique<PinPairing>(*this, systemRandomSource())),
      m_publishedFiles(std::make_shared<PublishedFiles>())
{
    m_urlPanel.rollbackDelegate = this;
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    m_isPassOpened = false;
    m_failTimeCount = 0;
    m_isPlayFinished = false;

    m_userDefaults.registerDefaults({{QStringLiteral("NSApplicationCrashOnExceptions"), true}});

    m_controls.authBox.setHidden(true);
    m_controls.authView.setHidden(true);

    m_isAuthorized = false;
    m_currentlyPlayingSongID = -1;

    m_controls.lblStartingInfo.setHidden(true);
    m_controls.progressIndicator.setHidden(true);

    for (Control* control : {&m_controls.btnPlay, &m_controls.btnNext, &m_controls.btnPause,
                             &m_controls.btnPrevious, &m_controls.playSlider}) {
        control->setEnabled(false);
    }

    m_controls.btnPlay.setImage(QStringLiteral("stopBtn"));
    m_controls.btnPause.setImage(QStringLiteral("pauseBtn"));
    m_controls.btnPause.setIdentifier(QStringLiteral("pause"));

    m_arrPlayList.clear();

    m_controls.applyWindowAppearance();
    m_controls.showWindowCentred();

    getSongsList();
    applyListLayout();

    m_popoverButtonIsPressed = false;

    addConsoleLogger();

    connect(&m_clientManager, &ClientManager::test, this, &AppDelegate::startLocalServer,
            Qt::UniqueConnection);

    restoreBookmarkAccess();

    m_controls.startBox.setHidden(true);
    m_controls.startView.setHidden(true);

    systemLog(QStringLiteral("Orvanta %1 started with %2 item(s) in the playlist")
                  .arg(QCoreApplication::applicationVersion())
                  .arg(m_arrPlayList.size()));
}

void AppDelegate::QuitApp()
{
    QCoreApplication::quit();
}

void AppDelegate::setUser(SRPUser* user)
{
    m_user.reset(user);
}

void AppDelegate::applyListLayout()
{
    const bool hasItems = !m_arrPlayList.isEmpty();
    m_controls.scrollMusic.setHidden(!hasItems);
    m_controls.playListTable.setHidden(!hasItems);
    m_controls.imgSmallIcon.setHidden(!hasItems);
    m_controls.imgBigIcon.setHidden(hasItems);
    m_controls.imgDropView.setHidden(hasItems);
}

// Linux has no security-scoped bookmarks: each entry holds a file's URL, and restoring it
// means checking that the file can still be read.
void AppDelegate::restoreBookmarkAccess()
{
    const QString key = QStringLiteral("BookmarkAccess");
    if (!m_userDefaults.contains(key)) {
        return;
    }
    const QVariantList bookmarks = m_userDefaults.value(key).toList();
    for (const QVariant& bookmark : bookmarks) {
        const QByteArray entry = bookmark.toByteArray();
        if (entry.isEmpty()) {
            continue;
        }
        QFile file(QUrl::fromEncoded(entry).toLocalFile());
        const bool accessible = file.open(QIODevice::ReadOnly);
        systemLog(QString::number(accessible ? 1 : 0));
    }
}

void AppDelegate::togglePopover()
{
    m_controls.popover.setHidden(m_popoverButtonIsPressed);
    m_popoverButtonIsPressed = !m_popoverButtonIsPressed;
}

void AppDelegate::addToLog(const QString& text)
{
    m_activityLog->addToLog(text);
}

void AppDelegate::showAlert(const QString& informativeText)
{
    const auto hold = m_clientManager.holdConnection();
    m_prompter.showAlert(informativeText);
}

void AppDelegate::connectionFailed(const QString& device, const QString& reason)
{
    m_itemAwaitingConnection = -1;
    m_controls.progressIndicator.setHidden(true);
    m_controls.lblStartingInfo.setHidden(true);
    showAlert(QStringLiteral(
                  "Orvanta cannot reach the Apple TV \u201c%1\u201d: %2. Choose it again from the device "
                  "menu when it is back.")
                  .arg(device, reason));
}

void AppDelegate::openPinEnter()
{
    const auto hold = m_clientManager.holdConnection();
    m_prompter.runEntryPanel(m_urlPanel);
}
