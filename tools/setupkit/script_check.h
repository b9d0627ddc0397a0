// setupkit check: reads a script (or the SETUP.INF of a media directory, and
// then its files too) by the rules the installer reads it with, and reports
// every finding as FILE:LINE: error|warning: TEXT.
#pragma once
#include <cstdio>
#include <string>

#include "check_report.h"

// Checks the script's bytes; media is the media directory, or "" for a
// script alone.
void CheckScript(const std::string& bytes, const std::string& media, CheckReport& report);

// The command: 0 no errors, 1 errors (or the script could not be read).
int CheckCommand(const char* path, std::FILE* out, std::FILE* err);
