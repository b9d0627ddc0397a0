// What the command line's switches asked of this run. Set once at the start,
// read by every floor: a quiet run shows no window and answers every question
// with its default.
#pragma once
#include <windows.h>

struct RunSwitches {
    bool quiet;      // /quiet: no window at all, every default taken
    bool noRestart;  // /norestart: never restart; a restart that is due becomes exit code 3010
    char logPath[MAX_PATH];  // /log=FILE: the run's own log, or empty
    char planPath[MAX_PATH]; // /plan=FILE: a what-if run writes what it would change there, and changes nothing
};

extern RunSwitches gSwitches;

inline bool QuietRun() { return gSwitches.quiet; }
inline bool WhatIfRun() { return gSwitches.planPath[0] != '\0'; }
