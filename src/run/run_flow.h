// The entry and the order of one whole run of the installer.
#pragma once
#include <windows.h>

#include <string>

#include "base/run_log.h"

// The text behind the program's name on a command line: the name is skipped
// (a quoted name up to its closing quote, otherwise up to the first character
// of code 32 or less), then every character from 1 to 32. Nothing else is
// removed.
const char* CommandLineText(const char* commandLine);
// The program's whole command line (GetCommandLineW) in UTF-8.
std::string ProgramCommandLine();

// What a run does about a line its log's file refused: asks Abort, Retry,
// Ignore (message 112), as base/run_log.h's handler.
LogRefusal AskAboutTheLog(const char* path);

// One whole run; returns the process exit code.
int RunSetup(HINSTANCE ownModule, const char* commandText);

// Enables the shutdown privilege and asks the platform to restart.
void RestartWindows();
