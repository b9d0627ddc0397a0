// Files' data move from the media to their targets on a thread of their own,
// so that the run's thread can meanwhile record, open and create the next
// entries' files. The copy thread only reads and writes, one file after the
// other in the order they were started; everything that asks the user,
// paints or decides stays on the run's thread.
#pragma once
#include <windows.h>

struct LzCalls;

// How many transfers may be started and not yet finished.
constexpr int kTransfers = 2;

// Starts moving all that is left of source (a handle of the LZ library) into
// target, and closes target once the whole file is there, and source too
// when closeSource says it is a plain file's own handle (the library keeps
// nothing of its own for those). `length` is what the data must come to: the
// expanded length a compressed file's header gives, a plain file's size
// when it was opened. Neither handle may be touched until FinishTransfer
// returns. Returns the transfer's number.
int StartTransfer(const LzCalls& lz, INT source, HANDLE target, bool closeSource, long length);
// A transfer's status when the target could not be written, and when a
// plain file's data came to another length than its size at the start (the
// file changed while it was read).
constexpr int kTransferCannotWrite = 1;
constexpr int kTransferSourceChanged = 2;
// Waits for a transfer (painting the status lines when they are due): 0 when
// the whole file arrived and the handles are closed as told; else, both still
// open, a negative LZ error when compressed data did not expand to the length
// its header gives, or one of the statuses above.
int FinishTransfer(int transfer);
