// A text on the heap that grows as it is written, for texts whose length only
// the platform or the file knows: profile values, captured lines, registry
// data. Every write stays within the capacity; growing that fails says so
// (false) and leaves the text as it was.
#pragma once
#include <cstddef>

class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Room for at least `capacity` bytes, the text kept.
    bool Reserve(size_t capacity);
    // Appends bytes (zeros too) and keeps a terminator behind them.
    bool Append(const char* data, size_t length);
    bool Append(const char* text);
    bool Assign(const char* text) { Clear(); return Append(text); }
    void Clear();

    // The text; "" while nothing was ever written.
    const char* Text() const { return data_ ? data_ : ""; }
    // Writable bytes for a caller that fills them itself (after Reserve), and
    // the length it then sets; both stay within the capacity.
    char* Data() { return data_; }
    void SetLength(size_t length);
    size_t Length() const { return length_; }
    size_t Capacity() const { return capacity_; }

private:
    char* data_ = nullptr;
    size_t capacity_ = 0;
    size_t length_ = 0;
};
