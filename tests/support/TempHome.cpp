#include "support/TempHome.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace {

const char* const variables[] = {"HOME",           "XDG_CONFIG_HOME",   "XDG_DATA_HOME",  "XDG_STATE_HOME",
                                 "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"};

} // namespace

TempHome::TempHome()
{
    for (const char* name : variables) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    }
    const QByteArray home = QFile::encodeName(m_dir.path());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_STATE_HOME", home + "/.local/state");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qunsetenv("XDG_DOCUMENTS_DIR");
    // The runtime folder holds the socket through which a later `orvanta FILE` reaches the
    // running one; it must belong to the user alone.
    const QString runtime = m_dir.filePath(QStringLiteral(".runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : m_saved) {
        if (value) {
            qputenv(name.constData(), *value);
        } else {
            qunsetenv(name.constData());
        }
    }
}
