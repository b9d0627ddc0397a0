// Files' data move from the media to their targets on a thread of their own,
// so that the run's thread can meanwhile record, open and create the next
// entries' files. The copy thread only reads and writes, one file after the
// other in the order they were started; everything that asks the user,
// paints or decides stays on the run's thread.
#pragma once
#include <windows.h>

#include "actions/lz_source.h"
#include "base/scoped_handles.h"

// How many transfers may be started and not yet finished.
constexpr int kTransfers = 2;

// What one copy reads from and writes to.
struct CopyHandles {
    LzSource source;
    ScopedHandle target;
};

// What a transfer came to.
enum class TransferStatus {
    Whole,          // the whole file arrived, and its handles are closed
    CannotWrite,    // the target did not take the data
    SourceChanged,  // a plain file's data came to another length than its size at the start, or a
                    // file the installer checks does not match its CRC-32 (base/media_reader.h)
    LzError,        // compressed data did not expand to the length its header gives (see the code)
};
struct TransferEnd {
    TransferStatus status;
    long lzError;  // the LZ library's error code, with LzError
};

// Starts moving all that is left of the source into the target; `length` is
// what the data must come to: the expanded length a compressed file's header
// gives, a plain file's size when it was opened. The transfer owns the
// handles until FinishTransfer: those of a whole file are closed on the copy
// thread. Returns the transfer's number.
int StartTransfer(CopyHandles handles, long length);
// Waits for a transfer (painting the status lines when they are due) and
// hands back the handles of one that did not end whole, still open.
TransferEnd FinishTransfer(int transfer, CopyHandles* back);
