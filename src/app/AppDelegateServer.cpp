#include "app/AppDelegate.h"

void AppDelegate::startLocalServer()
{
}
