#pragma once

#include <QString>

// The system log: one line on standard error (the desktop's journal collects it), with a
// time stamp and the process name. Safe to call from any thread.
void systemLog(const QString& line);
