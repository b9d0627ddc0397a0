// A media file opened through the platform's LZ library: the library's
// handle of a compressed file, or a plain file's own handle, which the
// library reads as it lies. Owned here: closed once, through the library.
#pragma once
#include <windows.h>

#include <utility>

#include "base/system_libraries.h"

class LzSource {
public:
    LzSource() = default;
    // ownHandle: the handle is the file's own (a plain file, or one copied as stored).
    LzSource(const LzCalls* lz, INT handle, bool ownHandle) : lz_(lz), handle_(handle), ownHandle_(ownHandle) {}
    ~LzSource() { Close(); }
    LzSource(LzSource&& other) noexcept
        : lz_(other.lz_), handle_(std::exchange(other.handle_, -1)), ownHandle_(other.ownHandle_) {}
    LzSource& operator=(LzSource&& other) noexcept {
        if (this != &other) {
            Close();
            lz_ = other.lz_;
            handle_ = std::exchange(other.handle_, -1);
            ownHandle_ = other.ownHandle_;
        }
        return *this;
    }
    LzSource(const LzSource&) = delete;
    LzSource& operator=(const LzSource&) = delete;

    bool valid() const { return handle_ >= 0; }
    bool ownHandle() const { return ownHandle_; }
    INT Read(char* buffer, INT count) const { return lz_->read(handle_, buffer, count); }
    LONG Seek(LONG offset, INT origin) const { return lz_->seek(handle_, offset, origin); }
    void Close() {
        if (handle_ >= 0) lz_->close(handle_);
        handle_ = -1;
    }

private:
    const LzCalls* lz_ = nullptr;
    INT handle_ = -1;
    bool ownHandle_ = false;
};
