// Bytes read at an offset: a file the caller holds open, or bytes in memory.
// The readers of the installer's own file take one of these, so that they
// run over a file handle in the installer and over memory in the tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads size bytes at offset; false when they cannot all be read. The
    // readers ask only for bytes within Size().
    virtual bool ReadAt(uint64_t offset, void* into, size_t size) = 0;
};

class MemoryBytes : public ByteSource {
public:
    MemoryBytes(const void* data, size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* into, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        if (size) std::memcpy(into, data_ + offset, size);
        return true;
    }

private:
    const unsigned char* data_;
    size_t size_;
};

// Little-endian numbers as the file holds them, whatever the machine's order.
inline uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t ReadLe64(const unsigned char* p) { return ReadLe32(p) | uint64_t(ReadLe32(p + 4)) << 32; }
inline uint16_t ReadLe16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
