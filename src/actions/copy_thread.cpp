#include "actions/copy_thread.h"

#include "base/status_lines.h"
#include "base/system_libraries.h"

namespace {

// Slim locks and condition variables: handing a file over and back costs no
// call to the system's object server, where events would cost one each way.
SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;

enum class State { Free, Waiting, Done };

struct Transfer {
    const LzCalls* lz;
    INT source;
    HANDLE target;
    bool closeSource;
    long length;
    int status;
    unsigned long long order;  // transfers are made in the order started
    State state;
} transfers[kTransfers];

unsigned long long started;
HANDLE thread;

// Moves the whole file through the LZ library: plain files come through
// unchanged, compressed ones expanded. Large blocks keep plain copies as fast
// as the file system allows. A whole file is let go at once; a failed one
// stays open for Retry.
int Move(const LzCalls& lz, INT source, HANDLE target, bool closeSource, long length) {
    static char buffer[1 << 20];
    LONG total = 0;
    for (;;) {
        INT got = lz.read(source, buffer, sizeof buffer);
        if (got < 0) return got;
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(target, buffer, static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got))
            return kTransferCannotWrite;
        total += got;
    }
    // Compressed data that ends early, or that is not what its header says,
    // expands without an error; the header still tells the full length. A
    // plain file read through its own handle that shrank or grew meanwhile
    // is not the file that was opened.
    if (length >= 0 && total != length)
        return closeSource ? kTransferSourceChanged : total < length ? LZERROR_READ : LZERROR_BADVALUE;
    CloseHandle(target);
    if (closeSource) CloseHandle(LongToHandle(source));
    return 0;
}

Transfer* Oldest() {
    Transfer* oldest = nullptr;
    for (Transfer& t : transfers)
        if (t.state == State::Waiting && (!oldest || t.order < oldest->order)) oldest = &t;
    return oldest;
}

DWORD WINAPI CopyThread(void*) {
    AcquireSRWLockExclusive(&lock);
    for (;;) {
        Transfer* next = Oldest();
        if (!next) {
            SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
            continue;
        }
        Transfer work = *next;
        ReleaseSRWLockExclusive(&lock);
        int status = Move(*work.lz, work.source, work.target, work.closeSource, work.length);
        AcquireSRWLockExclusive(&lock);
        next->status = status;
        next->state = State::Done;
        WakeAllConditionVariable(&changed);
    }
}

}  // namespace

int StartTransfer(const LzCalls& lz, INT source, HANDLE target, bool closeSource, long length) {
    int n = 0;
    AcquireSRWLockExclusive(&lock);
    while (n + 1 < kTransfers && transfers[n].state != State::Free) ++n;
    transfers[n] = Transfer{&lz, source, target, closeSource, length, 0, started++, State::Waiting};
    ReleaseSRWLockExclusive(&lock);
    // Without a thread of its own the file is moved here and now.
    if (!thread) thread = CreateThread(nullptr, 0, CopyThread, nullptr, 0, nullptr);
    if (!thread) {
        transfers[n].status = Move(lz, source, target, closeSource, length);
        transfers[n].state = State::Done;
    }
    WakeAllConditionVariable(&changed);
    return n;
}

int FinishTransfer(int transfer) {
    Transfer& t = transfers[transfer];
    AcquireSRWLockExclusive(&lock);
    // A large file takes many frames: its status is painted meanwhile.
    while (t.state != State::Done)
        if (!SleepConditionVariableSRW(&changed, &lock, kStatusFrameMs, 0)) {
            ReleaseSRWLockExclusive(&lock);
            PaintStatusIfDue();
            AcquireSRWLockExclusive(&lock);
        }
    t.state = State::Free;
    int status = t.status;
    ReleaseSRWLockExclusive(&lock);
    return status;
}
