// The switches of an unattended run: /quiet, /norestart, /log=FILE and
// /plan=FILE (a what-if run, quiet and without a restart), in any
// letter case, recognised only at the start of the command-line text and
// before the script's name. Whatever follows them is the script's name, taken
// whole as before, so every command line without them keeps its meaning.
#pragma once

#include "base/run_switches.h"

// Reads the switches at the start of text into switches and returns the rest
// (blanks after each switch skipped). A FILE with blanks is written in
// quotation marks (/log="C:\My Logs\setup.log"). Anything else that begins
// with "/" ends the switches and is the script's name.
const char* ReadSwitches(const char* text, RunSwitches* switches);
