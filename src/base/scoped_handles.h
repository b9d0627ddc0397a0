// Owners of the platform's handles: each closes its handle once, when it goes
// or is given another, and can hand it on (move) or let it go (Release). No
// handle is closed anywhere else.
#pragma once
#include <windows.h>

#include <utility>

// A handle of a kind: its empty values and how it is closed.
template <typename Traits>
class ScopedHandleOf {
public:
    using Handle = typename Traits::Handle;
    ScopedHandleOf() = default;
    explicit ScopedHandleOf(Handle handle) : handle_(handle) {}
    ~ScopedHandleOf() { Close(); }
    ScopedHandleOf(ScopedHandleOf&& other) noexcept : handle_(other.Release()) {}
    ScopedHandleOf& operator=(ScopedHandleOf&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ScopedHandleOf(const ScopedHandleOf&) = delete;
    ScopedHandleOf& operator=(const ScopedHandleOf&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return Traits::Valid(handle_); }
    explicit operator bool() const { return valid(); }
    // The address to fill, for a call that hands a new handle back.
    Handle* Receive() {
        Close();
        return &handle_;
    }
    void Reset(Handle handle = Traits::Empty()) {
        Close();
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, Traits::Empty()); }
    // Closes the handle now; false when the platform refused.
    bool Close() {
        bool closed = !valid() || Traits::Close(handle_);
        handle_ = Traits::Empty();
        return closed;
    }

private:
    Handle handle_ = Traits::Empty();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static bool Close(Handle h) { return CloseHandle(h) != 0; }
};
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static bool Close(Handle h) { return FindClose(h) != 0; }
};

// A file, event, thread, token or mutex handle.
using ScopedHandle = ScopedHandleOf<KernelHandleTraits>;
// An open registry key (never a predefined root).
using ScopedKey = ScopedHandleOf<RegistryKeyTraits>;
// A directory search.
using ScopedFind = ScopedHandleOf<FindHandleTraits>;
