// setupkit check: reads a script (or the SETUP.INF of a media directory, of
// the DISK1 of multi-disk media, or of a product folder, and then its files
// too) by the rules the installer reads it with, and reports every finding
// as FILE:LINE: error|warning: TEXT.
#pragma once
#include <cstdio>
#include <string>

#include "check_report.h"

// Checks the script's bytes; media is the media directory, or "" for a
// script alone; product: that directory is a product folder, whose files
// pack lays out (by their plain names, and without the installer's own).
void CheckScript(const std::string& bytes, const std::string& media, CheckReport& report, bool product = false);

// The command: 0 no errors, 1 errors (or the script could not be read).
int CheckCommand(const char* path, std::FILE* out, std::FILE* err);
