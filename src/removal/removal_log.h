// The removal log: every change is recorded, before it is made, as a script
// entry that undoes it. The log is itself a script for this engine.
#pragma once
#include <cstddef>

#include "removal/log_records.h"

// Each writes one record into the file named by the variable RemoveInf,
// through to the operating system. A record that did not reach the file (the
// log's directory or file cannot be written, the disk is full) is put to the
// user with the log's name, Abort/Retry/Ignore, before the caller makes its
// change. Returns kGoOn when recorded, kAbort after Abort, kSkipped after
// Ignore: the user chose to have the change made unrecorded.
// Each record is composed so that it reads back as written (log_records.h);
// one the format cannot carry is put to the user in the same way, before the
// change. Old values must pass CanRecordOldText first.
int LogRemoval(FileRecord kind, const char* path, const char* description);
int LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old);
int LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old);
int LogRemoval(RegistryNumberRecord kind, const char* keyPath, const char* valueName, unsigned long old);
int LogRemoval(VariableRecord kind, const char* name, const char* value);
// Kept once: a key or directory that a later install finds is not its own.
int LogRemoval(MadeRecord kind, const char* path);
// Lets the log's file go. The writer keeps it open from record to record,
// and while it does nothing else can write, replace or delete it: whatever
// may (the platform's profile writer, the end of a pass or of the run, a
// process handed the file) is preceded by this. The next record opens the
// file again and reads it afresh when it changed in between.
void ReleaseRemovalLog();
// Records the outermost directory on the way to a file that does not exist
// yet (nothing in remove mode, or when every directory is there).
int LogMissingDirectory(const char* filePath);
