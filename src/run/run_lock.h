// One run of the installer at a time on the machine. Two runs at once would
// each keep a copy of the removal log (and of every profile file they change)
// in memory and write it out whole after each change, each over the other's
// records; one at a time, every record stays.
#pragma once
#include <windows.h>

#include "base/scoped_handles.h"

class RunLock {
public:
    RunLock() = default;
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Takes the lock; while another run holds it, says so and lets the user
    // try again or give up (Retry/Cancel). False after Cancel.
    bool Take();

private:
    ScopedHandle mutex_;
    bool owned_ = false;
};
