// The removal log: every change is recorded, before it is made, as a script
// entry that undoes it. The log is itself a script for this engine.
#pragma once
#include <windows.h>

#include <cstddef>

#include "removal/log_records.h"

// Whether a record reached the log: written (or kept: the log holds the
// first old value of the item already), or not, because the log's folder
// could not be made or the file did not take it (a full disk, a log that
// cannot be written, a record the format cannot carry).
enum class Recorded { Yes, FolderFailed, FileFailed };

// Each writes one record into the file named by the variable RemoveInf,
// through to the operating system, before the caller makes its change. Each
// record is composed so that it reads back as written (log_records.h); one
// the format cannot carry is never tried. Old values must pass
// CanRecordOldText first. The caller puts a failure to the user
// (actions/records.h).
Recorded LogRemoval(FileRecord kind, const char* path, const char* description);
Recorded LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old);
Recorded LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old);
Recorded LogRemoval(RegistryNumberRecord kind, const char* keyPath, const char* valueName, unsigned long old);
Recorded LogRemoval(VariableRecord kind, const char* name, const char* value);
// Kept once: a key or directory that a later install finds is not its own.
Recorded LogRemoval(MadeRecord kind, const char* path);
// Records the outermost directory on the way to a file that does not exist
// yet (nothing in remove mode, or when every directory is there).
Recorded LogMissingDirectory(const char* filePath);
// The folder or file the last failure is about: the log's folder that could
// not be made, or the log.
const char* RecordFailurePath();

// The full path of the log's file (the variable RemoveInf, or the name it
// falls back to); false when it cannot be told.
bool RemovalLogFile(char (&path)[MAX_PATH]);

// Lets the log's file go. The writer keeps it open from record to record,
// and while it does nothing else can write, replace or delete it: whatever
// may (the platform's profile writer, the end of a pass or of the run, a
// process handed the file) is preceded by this. The next record opens the
// file again and reads it afresh when it changed in between. A failed
// record lets it go too.
void ReleaseRemovalLog();
