#include "app/AppDelegate.h"

void AppDelegate::getSongsList()
{
}
