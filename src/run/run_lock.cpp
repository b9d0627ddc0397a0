#include "run/run_lock.h"

#include "ui/messages.h"

namespace {

// In the global namespace, so that runs in other sessions count too.
constexpr wchar_t kLockName[] = L"Global\\SetUpInstallerRun";

}  // namespace

RunLock::~RunLock() {
    if (owned_) ReleaseMutex(mutex_.get());
}

bool RunLock::Take() {
    for (;;) {
        if (!mutex_) mutex_.Reset(CreateMutexW(nullptr, FALSE, kLockName));
        if (mutex_) {
            // A run that ended without letting go (it crashed) leaves the lock abandoned: free to take.
            DWORD waited = WaitForSingleObject(mutex_.get(), 0);
            owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
            if (owned_) return true;
        } else if (GetLastError() != ERROR_ACCESS_DENIED) {
            return true;  // no lock to be had at all: run as runs did before it
        }
        // Denied access: another user's run holds it.
        if (ReportMessage(nullptr, kMsgAnotherRun, kStyleRetryCancel) != Answer::Retry) return false;
    }
}
