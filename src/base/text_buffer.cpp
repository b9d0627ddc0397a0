#include "base/text_buffer.h"

#include <cstdlib>
#include <cstring>

TextBuffer::~TextBuffer() {
    std::free(data_);
}

bool TextBuffer::Reserve(size_t capacity) {
    if (capacity <= capacity_) return true;
    // Doubling keeps a text written piece by piece from copying itself over and over.
    size_t grown = capacity_ * 2 > capacity ? capacity_ * 2 : capacity;
    void* moved = std::realloc(data_, grown);
    if (!moved) return false;
    data_ = static_cast<char*>(moved);
    if (capacity_ == 0) data_[0] = '\0';
    capacity_ = grown;
    return true;
}

bool TextBuffer::Append(const char* data, size_t length) {
    if (length > static_cast<size_t>(-1) - length_ - 1 || !Reserve(length_ + length + 1)) return false;
    if (length) std::memcpy(data_ + length_, data, length);
    length_ += length;
    data_[length_] = '\0';
    return true;
}

bool TextBuffer::Append(const char* text) { return Append(text ? text : "", text ? std::strlen(text) : 0); }

void TextBuffer::Clear() {
    length_ = 0;
    if (data_) data_[0] = '\0';
}

void TextBuffer::SetLength(size_t length) {
    if (!data_) return;
    length_ = length < capacity_ ? length : capacity_ - 1;
    data_[length_] = '\0';
}
