#pragma once

#include <QString>

// The desktop's list of recently used files (the freedesktop recently-used.xbel in
// $XDG_DATA_HOME, default ~/.local/share): a file played is added, or its entry refreshed.
// The other entries are kept as they are, and a list that cannot be read is left alone.
class RecentDocuments
{
public:
    static QString listPath();
    static bool add(const QString& filePath);
};
