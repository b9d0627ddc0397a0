#include "actions/copy_thread.h"

#include <utility>

#include "ui/status_lines.h"

namespace {

enum class State { Free, Waiting, Done };

struct Transfer {
    CopyHandles handles;
    long length = 0;
    TransferEnd end = {TransferStatus::Whole, 0};
    unsigned long long order = 0;  // transfers are made in the order started
    State state = State::Free;
};

// The copy thread and what is handed to it. Slim locks and condition
// variables: handing a file over and back costs no call to the system's
// object server, where events would cost one each way. A slot belongs to the
// thread while it waits or moves, and to the run's thread otherwise.
struct CopyQueue {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    Transfer transfers[kTransfers];
    unsigned long long started = 0;
    bool running = false;  // the thread runs for the rest of the process
    char buffer[1 << 20];  // the data on its way, in large blocks
};
CopyQueue gQueue;

// Moves the whole file through the LZ library: plain files come through
// unchanged, compressed ones expanded. Large blocks keep plain copies as fast
// as the file system allows. A whole file's handles are let go at once; a
// failed one's stay open for Retry.
TransferEnd Move(CopyHandles& handles, long length) {
    char* buffer = gQueue.buffer;
    LONG total = 0;
    for (;;) {
        INT got = handles.source.Read(buffer, sizeof gQueue.buffer);
        if (got == kMediaDamaged) return {TransferStatus::SourceChanged, 0};
        if (got < 0) return {TransferStatus::LzError, got};
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(handles.target.get(), buffer, static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got))
            return {TransferStatus::CannotWrite, 0};
        total += got;
    }
    // Compressed data that ends early, or that is not what its header says,
    // expands without an error; the header still tells the full length. A
    // plain file read through its own handle that shrank or grew meanwhile
    // is not the file that was opened.
    if (length >= 0 && total != length) {
        if (handles.source.ownHandle()) return {TransferStatus::SourceChanged, 0};
        return {TransferStatus::LzError, total < length ? LZERROR_READ : LZERROR_BADVALUE};
    }
    if (!handles.target.Close()) return {TransferStatus::CannotWrite, 0};
    handles.source.Close();
    return {TransferStatus::Whole, 0};
}

Transfer* Oldest() {
    Transfer* oldest = nullptr;
    for (Transfer& t : gQueue.transfers)
        if (t.state == State::Waiting && (!oldest || t.order < oldest->order)) oldest = &t;
    return oldest;
}

DWORD WINAPI CopyThread(void*) {
    AcquireSRWLockExclusive(&gQueue.lock);
    for (;;) {
        Transfer* next = Oldest();
        if (!next) {
            SleepConditionVariableSRW(&gQueue.changed, &gQueue.lock, INFINITE, 0);
            continue;
        }
        ReleaseSRWLockExclusive(&gQueue.lock);
        TransferEnd end = Move(next->handles, next->length);
        AcquireSRWLockExclusive(&gQueue.lock);
        next->end = end;
        next->state = State::Done;
        WakeAllConditionVariable(&gQueue.changed);
    }
}

}  // namespace

int StartTransfer(CopyHandles handles, long length) {
    int n = 0;
    AcquireSRWLockExclusive(&gQueue.lock);
    while (n + 1 < kTransfers && gQueue.transfers[n].state != State::Free) ++n;
    Transfer& slot = gQueue.transfers[n];
    slot.handles = std::move(handles);
    slot.length = length;
    slot.order = gQueue.started++;
    slot.state = State::Waiting;
    ReleaseSRWLockExclusive(&gQueue.lock);
    // The thread runs for the life of the process; its handle is not kept.
    if (!gQueue.running) {
        ScopedHandle thread(CreateThread(nullptr, 0, CopyThread, nullptr, 0, nullptr));
        gQueue.running = thread.valid();
    }
    // Without a thread of its own the file is moved here and now.
    if (!gQueue.running) {
        slot.end = Move(slot.handles, slot.length);
        slot.state = State::Done;
    }
    WakeAllConditionVariable(&gQueue.changed);
    return n;
}

TransferEnd FinishTransfer(int transfer, CopyHandles* back) {
    Transfer& t = gQueue.transfers[transfer];
    AcquireSRWLockExclusive(&gQueue.lock);
    // A large file takes many frames: its status is painted meanwhile.
    while (t.state != State::Done)
        if (!SleepConditionVariableSRW(&gQueue.changed, &gQueue.lock, kStatusFrameMs, 0)) {
            ReleaseSRWLockExclusive(&gQueue.lock);
            PaintStatusIfDue();
            AcquireSRWLockExclusive(&gQueue.lock);
        }
    t.state = State::Free;
    TransferEnd end = t.end;
    CopyHandles handles = std::move(t.handles);
    ReleaseSRWLockExclusive(&gQueue.lock);
    if (back) *back = std::move(handles);
    return end;
}
