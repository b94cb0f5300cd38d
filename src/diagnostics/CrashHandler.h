#pragma once

// Installs handlers for the fatal signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) that
// write the signal and a backtrace to a new file in $XDG_STATE_HOME/orvanta/crashes/
// (default ~/.local/state/orvanta/crashes/) and to standard error, then let the signal end
// the process as it would have. Call first thing in main.
void installCrashHandler();
