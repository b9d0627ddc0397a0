#include "base/media_reader.h"

#include <lzexpand.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/compressed_header.h"
#include "base/media_crc.h"

namespace {

// The most of a file's bytes held at once. A compressed file up to this
// size is read once; a larger one, or a plain file larger than a read, is
// read twice: to prove it, then to copy it (from the system's cache).
constexpr DWORD kInputMax = 1 << 20;

}  // namespace

bool ReadFileAt(HANDLE file, uint64_t offset, void* into, DWORD size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return size == 0 || (ReadFile(file, into, size, &got, &at) && got == size);
}

MediaReader::~MediaReader() { std::free(input_); }

bool MediaReader::Open(const StoredFile& stored, ScopedHandle own) {
    stored_ = stored;
    own_ = std::move(own);
    // Lengths travel as the LZ library's: a file of 2 GB or more is not read.
    if (stored.size > 0x7FFFFFFF) return false;
    unsigned char head[kCompressedHeaderSize];
    const DWORD n = stored.size < sizeof head ? static_cast<DWORD>(stored.size) : sizeof head;
    if (!ReadStored(0, head, n)) return false;
    compressed_ = IsCompressedFile(head, n);
    damagedHeader_ = CheckCompressedHeader(head, n) != 0;
    const unsigned long expanded = compressed_ && !damagedHeader_ ? ReadCompressedLength(head) : 0;
    if (expanded > 0x7FFFFFFF) return false;
    length_ = compressed_ && !damagedHeader_ ? static_cast<long>(expanded) : static_cast<long>(stored.size);
    proven_ = !stored.checked;
    inputSize_ = stored.size < kInputMax ? static_cast<DWORD>(stored.size) : kInputMax;
    if (compressed_ && inputSize_ > 0 && !(input_ = static_cast<uint8_t*>(std::malloc(inputSize_)))) return false;
    Rewind();
    return true;
}

void MediaReader::Rewind() {
    done_ = 0;
    inAt_ = inEnd_ = input_;
    if (compressed_) expander_.Start(static_cast<uint32_t>(length_));
}

bool MediaReader::ReadStored(uint64_t at, void* into, DWORD size) {
    if (!ReadFileAt(stored_.file, stored_.offset + at, into, size)) return false;
    if (stored_.blankAt != 0 && stored_.blankAt >= at && stored_.blankAt < at + size) {
        const uint64_t from = stored_.blankAt - at;
        std::memset(static_cast<char*>(into) + from, 0, static_cast<size_t>(size - from < 8 ? size - from : 8));
    }
    return true;
}

int MediaReader::Read(char* into, int count) {
    if (damagedHeader_) return kMediaDamaged;
    if (!proven_) {
        const int proved = Prove(into, count);
        if (proved < 0) return proved;
        proven_ = true;
        // A plain file that fit came whole with its proof.
        if (!compressed_ && proved > 0) return proved;
    }
    return compressed_ ? ReadCompressed(into, count) : ReadPlain(into, count);
}

int MediaReader::Prove(char* into, int count) {
    const uint64_t size = stored_.size;
    Crc32 crc;
    int kept = 0;
    if (!compressed_ && size <= static_cast<uint64_t>(count)) {
        if (!ReadStored(0, into, static_cast<DWORD>(size))) return LZERROR_READ;
        crc.Add(into, static_cast<size_t>(size));
        done_ = size;
        kept = static_cast<int>(size);
    } else if (compressed_ && size <= inputSize_) {
        if (!ReadStored(0, input_, static_cast<DWORD>(size))) return LZERROR_READ;
        crc.Add(input_, static_cast<size_t>(size));
        done_ = size;
        inAt_ = input_ + kCompressedHeaderSize;
        inEnd_ = input_ + size;
    } else {
        if (!input_ && !(input_ = static_cast<uint8_t*>(std::malloc(inputSize_)))) return LZERROR_GLOBALLOC;
        for (uint64_t at = 0; at < size;) {
            const DWORD n = size - at < inputSize_ ? static_cast<DWORD>(size - at) : inputSize_;
            if (!ReadStored(at, input_, n)) return LZERROR_READ;
            crc.Add(input_, n);
            at += n;
        }
        Rewind();
    }
    return crc.Value() == stored_.crc ? kept : kMediaDamaged;
}

int MediaReader::ReadPlain(char* into, int count) {
    const uint64_t left = stored_.size - done_;
    const DWORD n = left < static_cast<uint64_t>(count) ? static_cast<DWORD>(left) : static_cast<DWORD>(count);
    if (!ReadStored(done_, into, n)) return LZERROR_READ;
    done_ += n;
    return static_cast<int>(n);
}

int MediaReader::ReadCompressed(char* into, int count) {
    uint8_t* out = reinterpret_cast<uint8_t*>(into);
    uint8_t* const outEnd = out + count;
    for (;;) {
        if (inAt_ == inEnd_ && done_ < stored_.size) {
            const uint64_t left = stored_.size - done_;
            const DWORD n = left < inputSize_ ? static_cast<DWORD>(left) : inputSize_;
            // The header is passed over.
            const uint64_t skip = done_ < kCompressedHeaderSize ? kCompressedHeaderSize - done_ : 0;
            if (!ReadStored(done_, input_, n)) return LZERROR_READ;
            done_ += n;
            inAt_ = input_ + (skip < n ? skip : n);
            inEnd_ = input_ + n;
        }
        const LzExpansion state = expander_.Expand(&inAt_, inEnd_, &out, outEnd);
        const int produced = static_cast<int>(out - reinterpret_cast<uint8_t*>(into));
        if (state == LzExpansion::Damaged) return kMediaDamaged;
        // Bytes behind the expanded end are no part of a sound file.
        if (state == LzExpansion::Done) return inAt_ == inEnd_ && done_ == stored_.size ? produced : kMediaDamaged;
        if (out == outEnd) return produced;
        // The data end before the length the header states.
        if (inAt_ == inEnd_ && done_ == stored_.size) return kMediaDamaged;
    }
}
