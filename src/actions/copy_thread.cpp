#include "actions/copy_thread.h"

#include "base/status_lines.h"
#include "base/system_libraries.h"

namespace {

// Slim locks and condition variables: handing a file over and back costs no
// call to the system's object server, where events would cost one each way.
SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;

struct Transfer {
    const LzCalls* lz;
    INT source;
    HANDLE target;
    int status;
    bool started;  // handed to the copy thread, not yet taken back
    bool done;
} job;

HANDLE thread;

// Moves the whole file through the LZ library: plain files come through
// unchanged, compressed ones expanded. Large blocks keep plain copies as fast
// as the file system allows.
int Move(const LzCalls& lz, INT source, HANDLE target) {
    static char buffer[1 << 20];
    LONG total = 0;
    for (;;) {
        INT got = lz.read(source, buffer, sizeof buffer);
        if (got < 0) return got;
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(target, buffer, static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got))
            return 1;
        total += got;
    }
    // Compressed data that ends early, or that is not what its header says,
    // expands without an error; the header still tells the full length.
    LONG length = lz.seek(source, 0, 2);
    if (length >= 0 && total < length) return LZERROR_READ;
    return length >= 0 && total > length ? LZERROR_BADVALUE : 0;
}

DWORD WINAPI CopyThread(void*) {
    AcquireSRWLockExclusive(&lock);
    for (;;) {
        while (!job.started || job.done) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
        Transfer work = job;
        ReleaseSRWLockExclusive(&lock);
        int status = Move(*work.lz, work.source, work.target);
        // A whole file is let go here, while the run goes on; a failed one
        // stays open for Retry.
        if (status == 0) CloseHandle(work.target);
        AcquireSRWLockExclusive(&lock);
        job.status = status;
        job.done = true;
        WakeAllConditionVariable(&changed);
    }
}

}  // namespace

void StartTransfer(const LzCalls& lz, INT source, HANDLE target) {
    AcquireSRWLockExclusive(&lock);
    job = Transfer{&lz, source, target, 0, true, false};
    ReleaseSRWLockExclusive(&lock);
    // Without a thread of its own the file is moved here and now.
    if (!thread) thread = CreateThread(nullptr, 0, CopyThread, nullptr, 0, nullptr);
    if (!thread) {
        job.status = Move(lz, source, target);
        if (job.status == 0) CloseHandle(target);
        job.done = true;
        return;
    }
    WakeAllConditionVariable(&changed);
}

bool TransferStarted() { return job.started; }

int FinishTransfer() {
    AcquireSRWLockExclusive(&lock);
    // A large file takes many frames: its status is painted meanwhile.
    while (!job.done)
        if (!SleepConditionVariableSRW(&changed, &lock, kStatusFrameMs, 0)) {
            ReleaseSRWLockExclusive(&lock);
            PaintStatusIfDue();
            AcquireSRWLockExclusive(&lock);
        }
    job.started = false;
    int status = job.status;
    ReleaseSRWLockExclusive(&lock);
    return status;
}
