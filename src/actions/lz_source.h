// A media file opened for a copy: through the platform's LZ library (the
// library's handle of a compressed file, or a plain file's own handle, which
// the library reads as it lies), or read and checked by the installer itself
// (base/media_reader.h). Owned here: closed once.
#pragma once
#include <windows.h>

#include <memory>
#include <utility>

#include "base/media_reader.h"
#include "base/system_libraries.h"

class LzSource {
public:
    LzSource() = default;
    // ownHandle: the handle is the file's own (a plain file, or one copied as stored).
    LzSource(const LzCalls* lz, INT handle, bool ownHandle) : lz_(lz), handle_(handle), ownHandle_(ownHandle) {}
    explicit LzSource(std::unique_ptr<MediaReader> reader) : reader_(std::move(reader)) {}
    ~LzSource() { Close(); }
    LzSource(LzSource&& other) noexcept
        : lz_(other.lz_), handle_(std::exchange(other.handle_, -1)), ownHandle_(other.ownHandle_),
          reader_(std::move(other.reader_)) {}
    LzSource& operator=(LzSource&& other) noexcept {
        if (this != &other) {
            Close();
            lz_ = other.lz_;
            handle_ = std::exchange(other.handle_, -1);
            ownHandle_ = other.ownHandle_;
            reader_ = std::move(other.reader_);
        }
        return *this;
    }
    LzSource(const LzSource&) = delete;
    LzSource& operator=(const LzSource&) = delete;

    bool valid() const { return handle_ >= 0 || reader_; }
    bool ownHandle() const { return ownHandle_; }
    // Read and checked by the installer itself.
    bool checked() const { return reader_ != nullptr; }
    INT Read(char* buffer, INT count) const {
        return reader_ ? reader_->Read(buffer, count) : lz_->read(handle_, buffer, count);
    }
    // Only to the end (for the length) and back to the start.
    LONG Seek(LONG offset, INT origin) const {
        if (!reader_) return lz_->seek(handle_, offset, origin);
        if (origin == 2) return reader_->Length();
        reader_->Rewind();
        return 0;
    }
    void Close() {
        if (handle_ >= 0) lz_->close(handle_);
        handle_ = -1;
        reader_.reset();
    }

private:
    const LzCalls* lz_ = nullptr;
    INT handle_ = -1;
    bool ownHandle_ = false;
    std::unique_ptr<MediaReader> reader_;
};
