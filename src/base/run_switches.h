// What the command line's switches asked of this run. Set once at the start,
// read by every floor: a quiet run shows no window and answers every question
// with its default.
#pragma once
#include <windows.h>

#include "base/wide_text.h"

constexpr int kMaxPathAnswers = 16;
constexpr int kAnswerTextSize = 1024;

// One [path] variable's value given for the run (/path:NAME=VALUE).
struct PathAnswer {
    char name[64];
    char value[kPathBytes];
};

// Answers given before the run asks: from the command line, or an answers
// file a run recorded. In a quiet run they are taken; the dialogs of an
// interactive run open with them chosen.
struct RunAnswers {
    bool hasOptions;                      // /options=CODES
    char optionCodes[64];                 // the codes as the option dialog joins them
    bool hasComponents;                   // /components=NAME,NAME
    char components[kAnswerTextSize];     // sections or labels of [choise], comma-separated
    int pathCount;                        // /path:NAME=VALUE, once per name
    PathAnswer paths[kMaxPathAnswers];
};

struct RunSwitches {
    bool quiet;      // /quiet: no window at all, every default taken
    bool noRestart;  // /norestart: never restart; a restart that is due becomes exit code 3010
    bool rollback;   // /rollback: a pass that does not run to its end is undone
    char logPath[kPathBytes];  // /log=FILE: the run's own log, or empty
    char planPath[kPathBytes]; // /plan=FILE: a what-if run writes what it would change there, and changes nothing
    char recordPath[kPathBytes];   // /record=FILE: the run's answers are written there
    char answersPath[kPathBytes];  // /answers=FILE: a quiet run with the answers recorded there
    RunAnswers answers;
};

extern RunSwitches gSwitches;

inline bool QuietRun() { return gSwitches.quiet; }
inline bool WhatIfRun() { return gSwitches.planPath[0] != '\0'; }

// The value given for a [path] variable, or null.
const char* PathAnswerFor(const char* name);
// The next name of the comma-separated /components list at *at, which moves
// past it; false at the list's end.
bool NextComponentName(const char** at, char (&name)[kAnswerTextSize]);
// Whether the /components list names a component by its section or its
// label (ASCII letter case ignored).
bool ComponentAnswered(const char* section, const char* label);
