#include "app/AppDelegate.h"

#include "airplay/ClientManager.h"
#include "airplay/ContentHelper.h"

void AppDelegate::stop()
{
    m_clientManager.sendRawData(ContentHelper::contentForStop().toUtf8());
}

void AppDelegate::updateSongProgress(const QString&, const QString&)
{
}

void AppDelegate::GetPlayBackProcess()
{
}

void AppDelegate::StartPlayingMusic(qint64)
{
}
