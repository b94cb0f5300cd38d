#include "app/AppDelegate.h"

void AppDelegate::authorize(const QString&, const QString&)
{
}

void AppDelegate::openUrl(const QString&)
{
}
