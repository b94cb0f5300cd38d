#pragma once

#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "support/EventLoop.h"
#include "support/ScriptedPrompter.h"

#include <QByteArrayList>
#include <QStringList>
#include <QUrl>

// The controller as the program wires it, without the window, in whatever home the test has
// set up; several may be made one after the other to restart in the same home.
struct ControllerUnderTest
{
    ControllerUnderTest() { manager.awakeFromNib(&controller); }

    void launch() { controller.applicationDidFinishLaunching(); }

    // Waits until every file given to the importer is through.
    bool waitForImport()
    {
        return waitUntil([this] { return !controller.mediaImporter().isImporting(); });
    }

    QStringList songNames() const
    {
        QStringList names;
        for (const Playlist& item : controller.arrPlayList()) {
            names << item.songName;
        }
        return names;
    }

    Controls controls;
    ScriptedPrompter prompter;
    ClientManager manager;
    AppDelegate controller{controls, prompter, manager};
};

inline QString fileUrlText(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

// The messages of the system log lines in the captured text, without time and process.
inline QStringList systemLogMessages(const QByteArray& captured)
{
    QStringList messages;
    for (const QByteArray& line : captured.split('\n')) {
        const qsizetype end = line.indexOf("] ");
        if (line.contains(" orvanta[") && end >= 0) {
            messages << QString::fromUtf8(line.mid(end + 2));
        }
    }
    return messages;
}
