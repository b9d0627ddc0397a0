// The directory private to one run, into which the resource library, the
// script and the licence are expanded. It is made fresh under the temporary
// directory with a name drawn from the system's random source, so no one can
// have placed or prepared anything in it, and removed when the run ends.
#pragma once
#include <windows.h>

#include "base/held_file.h"
#include "run/startup_files.h"

class RunDirectory {
public:
    RunDirectory() = default;
    ~RunDirectory() { Remove(); }
    RunDirectory(const RunDirectory&) = delete;
    RunDirectory& operator=(const RunDirectory&) = delete;

    // Makes the directory; false, after saying so, when none can be made.
    bool Create();
    // Expands a start-up file, found as startup_files.h says, into the
    // directory under `name` and holds the copy, once `complete` (when given)
    // has finished it: false from it fails the fetch. source is the full path
    // of the file it came from (empty when that cannot be told). False when
    // the file was not fetched: at start-up Abort and Ignore alike end the run.
    bool Fetch(const StartupSearch& search, const char* mediaFile, const char* name, HeldFile& copy,
               char (&source)[kPathBytes], bool (*complete)(const char*) = nullptr) const;
    // Removes the directory; every file fetched into it must be released first.
    void Remove();
    // Lets the directory outlive this owner (something in it still runs).
    void Keep() { path_[0] = '\0'; }
    const char* path() const { return path_; }

private:
    char path_[kPathBytes] = "";
};
