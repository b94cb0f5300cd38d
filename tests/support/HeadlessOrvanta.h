#pragma once

#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

// Orvanta without its window, in a home of its own: the controller, the client manager, the
// window model and a scripted prompter, wired as the program wires them.
struct HeadlessOrvanta
{
    HeadlessOrvanta();

    // Runs the start-up sequence.
    void launch();

    // Connects to an Apple TV on 127.0.0.1 as if discovery had resolved it; true once the
    // connection is open.
    bool connectTo(quint16 port, const QString& hostName = QStringLiteral("atv-sim.local."));

    // Connects to an Apple TV on 127.0.0.1 by its address, as "Connect to address…" and
    // --device do: it then counts as a found Apple TV. True once the connection is open.
    bool connectByAddress(quint16 port);

    TempHome home;
    Controls controls;
    ScriptedPrompter prompter;
    ClientManager clientManager;
    AppDelegate controller{controls, prompter, clientManager};
    int connectionsOpened = 0;
};
