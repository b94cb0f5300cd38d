#include "app/AppDelegate.h"

void AppDelegate::stop()
{
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
