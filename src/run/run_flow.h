// The entry and the order of one whole run of the installer.
#pragma once
#include <windows.h>

// The text behind the program's name on a command line: the name is skipped
// (a quoted name up to its closing quote, otherwise up to the first character
// of code 32 or less), then every character from 1 to 32. Nothing else is
// removed.
const char* CommandLineText(const char* commandLine);

// One whole run; returns the process exit code.
int RunSetup(HINSTANCE ownModule, const char* commandText);

// Enables the shutdown privilege and asks the platform to restart.
void RestartWindows();
