// The answers of a run in a file: an interactive run records them
// (/record=FILE) and a quiet run replays them (/answers=FILE), so that an
// administrator installs on many machines what one person chose once.
//
//     [answers]
//     options=CODES            the option codes, as the option dialog joins them
//     components=Main,Help     the chosen components by their [choise] sections
//     [path]
//     AppDir=C:\Program Files\Product
#pragma once

#include "base/run_switches.h"

// Fills what the command line did not give from the file; false when the
// file cannot be read (it is not there, or names no answers at all).
bool ReadAnswersFile(const char* path, RunAnswers* answers);

// Writes this run's answers whole (written beside, then moved into place):
// the chosen codes when the script has option groups, the selected
// components, and the [path] variables of the last pass that the user is
// asked for (the others follow from them). False when the file cannot be
// written.
bool RecordAnswers(const char* path);
