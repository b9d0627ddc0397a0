// Rollback of an install pass. With rollback on ([SetUp] rollback=1, or
// /rollback), every change of the pass is preceded by a line of the pass's
// undo journal, written through to the disk beside the removal log
// (removal/undo_records.h): a file the pass makes, one it replaces or deletes
// (moved aside beside itself, not copied), a folder, a registry value or key.
// A pass that ends with Cancel or Abort is undone in reverse order, and the
// removal log is put back as it was before the pass; one that runs to its end
// commits: the files set aside are deleted. A journal a killed run left is
// undone by the next run of the same log before it does anything else.
//
// What the undo cannot do exactly: a file in use that is replaced at the
// next start of Windows stays replaced, and a program item made through
// Program Manager stays (the shell keeps no old state of it); the run's log
// says so.
#pragma once
#include <windows.h>

#include "base/results.h"

// Whether this run rolls back its passes.
bool RollbackWanted();

// At the start of an install pass, before its first change: a journal
// left by an unfinished pass of the same removal log (the variable
// RemoveInf) is finished first, whether or not this run rolls back: undone
// (after a message, unless the run is quiet), or, when that pass had
// committed, its files set aside deleted. Then, with rollback on, this
// pass's journal starts. Abort when it cannot (after the user was asked).
StepResult BeginPassUndo();
// Whether a journal is being written.
bool UndoJournalActive();

// Each writes its line through to the disk before the caller makes its
// change, once a pass for each file, value or key; GoOn when it did (or
// when no journal is active), otherwise as the user answered (Abort, or
// Skipped after Ignore: the change is made without a way back).
StepResult JournalNewFile(const char* path);
// Before the caller replaces or deletes an existing file: the file is
// recorded and moved aside (renamed beside itself, never copied). GoOn when
// it is out of the way now; Skipped when it is still there for the caller
// to replace or delete as without a journal (no journal, no such file, a
// file this pass made, or one that would not move); Abort.
StepResult JournalSetAside(const char* path);
// A file the caller set aside and then did not replace after all (the copy
// failed, or was passed over) goes back where it was at once.
void JournalPutBack(const char* path);
// Before the caller rewrites a file in place (an INI file, a text file): a
// copy of it is kept aside, or, when there is none, the file is recorded as
// new. The removal log itself is left to its own line.
StepResult JournalKeepFile(const char* path);
// Every folder of the path (a file's) that is not there yet, outermost first.
StepResult JournalMissingFolders(const char* filePath);
StepResult JournalFolder(const char* path);
// The value as it is now (or that it is absent), under its key's full name.
StepResult JournalValue(HKEY root, const char* keyPath, const char* subkey, const char* valueName);
// Every key of the subkey path under root that is not there yet, outermost
// first; rootName begins each key's full name.
StepResult JournalMissingKeys(HKEY root, const char* rootName, const char* subkey);
// A change the undo cannot take back, said in the run's log.
void JournalCannotUndo(const char* what, const char* name);

// The pass ran to its end: the journal commits and goes, with the files set
// aside and the copy of the removal log.
void CommitUndoJournal();
// The pass was cancelled or failed: every change of it is undone, newest
// first, and the removal log is as before the pass.
void RollBackUndoJournal();

// For a removal run, before it starts: an unfinished install pass of its log
// (the run's script) is undone first, as the next install would. True when
// there was one.
bool UndoUnfinishedPassOf(const char* logPath);
