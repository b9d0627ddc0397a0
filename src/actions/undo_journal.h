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

// Starts the journal of a pass beside the removal log (the variable
// RemoveInf). A journal left by an unfinished pass of that log is finished
// first: undone (after a message, unless the run is quiet), or, when that
// pass had committed, its files set aside deleted. Abort when no journal
// can be started (after the user was asked).
StepResult BeginUndoJournal();
// Whether a journal is being written.
bool UndoJournalActive();

// Each writes its line through to the disk before the caller makes its
// change, once a pass for each file, value or key; GoOn when it did (or
// when no journal is active), otherwise as the user answered (Abort, or
// Skipped after Ignore: the change is made without a way back).
StepResult JournalNewFile(const char* path);
// Records the file and moves it aside, out of the caller's way: a file the
// pass made or set aside already is left where it is, for the caller to
// replace or delete. Skipped when there is no such file.
StepResult JournalSetAside(const char* path);
StepResult JournalFolder(const char* path);
StepResult JournalValue(HKEY root, const char* keyPath, const char* subkey, const char* valueName);
StepResult JournalKey(const char* keyPath);

// The pass ran to its end: the journal commits and goes, with the files set
// aside and the copy of the removal log.
void CommitUndoJournal();
// The pass was cancelled or failed: every change of it is undone, newest
// first, and the removal log is as before the pass.
void RollBackUndoJournal();

// For a removal run, before it starts: an unfinished install pass of its log
// (the run's script) is undone first, as the next install would.
void UndoUnfinishedPassOf(const char* logPath);
