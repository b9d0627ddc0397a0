// Where a run reads the files it starts from: the resource library, the
// script and the licence text. A name with a directory part is taken as
// written. A bare name is looked for in the installer's own directory first.
// An elevated run looks nowhere else: every other place the platform
// searches (the current directory, the system and Windows directories, the
// search path) may be one a user can write to, and a script or library taken
// from there would be carried out with an administrator's rights. A run that
// is not elevated goes on with the platform's search, as the LZ library does
// it, so nothing a standard user's run found before is lost.
#pragma once
#include <windows.h>

#include "base/wide_text.h"

struct StartupSearch {
    char installerDirectory[kPathBytes];  // ends in a backslash; empty when it cannot be told
    bool elevated;
};

// Whether a name holds a directory part (a backslash, a slash or a drive's colon).
bool HasDirectoryPart(const char* name);

// The installer's own directory, and whether this process is elevated.
StartupSearch FindStartupSearch();

// Whether the process runs with an administrator's full rights: its token is
// elevated or, where the platform has no elevation, it belongs to the
// Administrators. True when the platform cannot tell.
bool RunsElevated();

// The file to open for a start-up file's name: the name as written when it
// has a directory part; the installer's directory and the name when the file
// is there, or for an elevated run or one that carries its media in any
// case; otherwise the bare name, for the platform's search. False when
// nothing may be tried: an elevated run (or one that carries its media)
// whose installer directory is unknown or too long for the name.
bool StartupFilePlace(const StartupSearch& search, const char* name, char (&place)[kPathBytes]);
