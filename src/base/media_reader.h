// A media file the installer reads itself rather than through the platform's
// LZ library: a run of bytes in a file (a whole file of a media folder, or
// one inside the installer's own program, where the library cannot read it,
// as it always starts at the start of the file). A file with a CRC-32 is
// proven against it before the first byte comes out, so that a damaged file
// never reaches a target, not even in part; a file stored compressed comes
// out expanded.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/lz_expander.h"
#include "base/scoped_handles.h"

// Read's answer for a file that is not what it should be: its bytes do not
// match their CRC-32, or its compressed data do not expand to the length its
// header states. Not one of the LZ library's error codes.
constexpr int kMediaDamaged = -100;

// Where a media file's bytes lie.
struct StoredFile {
    HANDLE file;         // read at offsets, so that readers may share it; no one may write to it
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
    MediaReader() = default;
    ~MediaReader();
    MediaReader(const MediaReader&) = delete;
    MediaReader& operator=(const MediaReader&) = delete;

    // Reads the file's header. `own`, when valid, is the file's own handle,
    // closed with the reader. False when the file cannot be read or memory
    // is short.
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
    // Reads size stored bytes from `at` into `into`, blanked as asked.
    bool ReadStored(uint64_t at, void* into, DWORD size);
    // Sums the stored bytes and compares them, reading them into `into` when
    // they all fit there, else into the input buffer: how many were read
    // into `into` (or kept in the input buffer), or kMediaDamaged, or a read
    // error.
    int Prove(char* into, int count);
    int ReadPlain(char* into, int count);
    int ReadCompressed(char* into, int count);

    StoredFile stored_ = {};
    ScopedHandle own_;
    bool compressed_ = false;
    bool damagedHeader_ = false;
    bool proven_ = false;
    long length_ = 0;
    uint64_t done_ = 0;  // stored bytes read so far
    LzExpander expander_;
    uint8_t* input_ = nullptr;  // for compressed data, and for proving a file larger than a read
    DWORD inputSize_ = 0;
    const uint8_t* inAt_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
};
