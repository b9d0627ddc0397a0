// The sections of the install pass: every component's copy section and its
// six kinds of action, under its own name and, for a listed component, under
// the name with '!' that a component left out is visited with. Each entry is
// checked as its action would carry it out; what it would record in the
// removal log is gathered for the removal checks.
#pragma once
#include <string>
#include <vector>

#include "check_context.h"

// An INI entry, with its file as the installer would expand it.
struct IniWrite {
    std::string path, section, key, value;
    int line;
};

// What the install pass would record, and where.
struct Records {
    int firstLine = 0;        // the first entry that records something
    bool restores = false;    // step1: saved files, old INI values, lines, registry values
    bool deletions = false;   // step2: installed files and font resource files
    bool savedFiles = false;  // copies with '!': the restoring copies need disk 1, and BackUpDir
    int savedLine = 0;
    std::vector<IniWrite> iniWrites;
};

void CheckActions(ScriptCheck& check, Records& records);
