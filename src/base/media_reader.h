// A media file the installer reads itself rather than through the platform's
// LZ library: a run of bytes in a file (a whole file of a media folder, or
// one inside the installer's own program, where the library cannot read it,
// as it always starts at the start of the file). The bytes as stored are
// summed into a CRC-32 as they pass and compared at their end; a file stored
// compressed comes out expanded.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/lz_expander.h"
#include "base/media_crc.h"
#include "base/scoped_handles.h"

// Read's answer for a file that is not what it should be: its bytes do not
// match their CRC-32, its compressed data do not expand to the length its
// header states, or it is shorter than it was said to be. Not one of the LZ
// library's error codes.
constexpr int kMediaDamaged = -100;

// Where a media file's bytes lie.
struct StoredFile {
    HANDLE file;         // read at offsets, so that readers may share it
    uint64_t offset;
    uint64_t size;
    bool checked;        // crc holds the bytes' CRC-32
    uint32_t crc;
    uint64_t blankAt;    // 8 bytes from here are read as zeros (0: none)
};

// Reads size bytes at offset of a file, whatever its read position.
bool ReadFileAt(HANDLE file, uint64_t offset, void* into, DWORD size);

class MediaReader {
public:
    // Reads the file's header. `own`, when valid, is the file's own handle,
    // closed with the reader. False when the file cannot be read.
    bool Open(const StoredFile& stored, ScopedHandle own = ScopedHandle());
    // What the data come to: the length a compressed file's header states,
    // or the stored size.
    long Length() const { return length_; }
    // Back to the start, for a copy that is made again.
    void Rewind();
    // The next bytes: how many (0 at the end), kMediaDamaged, or the LZ
    // library's read error when the file cannot be read.
    int Read(char* into, int count);

private:
    int ReadPlain(char* into, int count);
    int ReadCompressed(char* into, int count);
    bool Fill(void* into, DWORD size);
    // The bytes are all read: kMediaDamaged when they do not match, else n.
    int Finish(int n);

    StoredFile stored_ = {};
    ScopedHandle own_;
    bool compressed_ = false;
    bool damagedHeader_ = false;
    long length_ = 0;
    uint64_t done_ = 0;     // stored bytes read so far
    bool finished_ = false;
    Crc32 crc_;
    LzExpander expander_;
    const uint8_t* inAt_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
    uint8_t input_[1 << 16];
};
