#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/ServicePublisher.h"
#include "server/MediaServer.h"
#include "server/PublishedFiles.h"

#include <QDir>
#include <QFile>

#include <spdlog/spdlog.h>

#include <utility>

void AppDelegate::startLocalServer()
{
    // The new server starts while the one before still holds its port, so the port surely
    // moves; then the one before is stopped, its connections and a transfer in progress cut.
    auto next = std::make_unique<MediaServer>(m_publishedFiles);
    const auto error = next->start();
    m_httpServer = std::move(next);
    if (error) {
        spdlog::error("Error starting HTTP Server: {}", *error);
        return;
    }
    spdlog::info("Media server listening on port {}", m_httpServer->port());
    if (!m_servicePublisher) {
        m_servicePublisher = std::make_unique<ServicePublisher>();
    }
    m_servicePublisher->publish(m_httpServer->port());

    if (m_itemAwaitingConnection >= 0) {
        sendPlayRequest(std::exchange(m_itemAwaitingConnection, -1), m_itemAwaitingIsRetry);
    }
}

quint16 AppDelegate::mediaServerPort() const
{
    return m_httpServer ? m_httpServer->port() : 0;
}

QString AppDelegate::getIPAddress() const
{
    QHostAddress address = m_clientManager.localAddress();
    bool isMappedIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isMappedIPv4);
    if (isMappedIPv4) {
        address = QHostAddress(ipv4);
    }
    return address.toString();
}

// The media server serves exactly the files of the playlist.
void AppDelegate::publishPlaylist()
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(m_arrPlayList.size()));
    for (const Playlist& item : m_arrPlayList) {
        paths.push_back(QFile::encodeName(item.songPath).toStdString());
    }
    m_publishedFiles->replace(QFile::encodeName(QDir::homePath()).toStdString(), paths);
}
