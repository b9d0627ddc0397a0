// A file's data moves from the media to its target on a thread of its own,
// so that the run's thread can meanwhile record, open and create the next
// entry's files. The copy thread only reads and writes; everything that asks
// the user, paints or decides stays on the run's thread. One transfer at a
// time.
#pragma once
#include <windows.h>

struct LzCalls;

// Starts moving all that is left of source (a handle of the LZ library) into
// target, and closes target once the whole file is there. Neither may be
// touched until FinishTransfer returns.
void StartTransfer(const LzCalls& lz, INT source, HANDLE target);
// True while a transfer has been started and not finished.
bool TransferStarted();
// Waits for the transfer (painting the status lines when they are due):
// 0 when the whole file arrived and target is closed, else with target still
// open: a negative LZ error when the media file could not be read to the
// length its header gives, 1 when the target could not be written.
int FinishTransfer();
