// A file of the run's own, held open while the run uses it. It is opened for
// reading and shares nothing but reading, so no one can write to it, replace
// it or delete it until the run lets it go.
#pragma once
#include <windows.h>

#include "base/wide_text.h"

class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Opens the file at path; false when it cannot be held (or the path does
    // not fit).
    bool Hold(const char* path);
    // Closes the file and deletes it; nothing when none is held.
    void Release();
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    const char* path() const { return path_; }

private:
    char path_[kPathBytes] = "";
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
