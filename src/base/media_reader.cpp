#include "base/media_reader.h"

#include <lzexpand.h>

#include <cstring>
#include <utility>

#include "base/compressed_header.h"

bool ReadFileAt(HANDLE file, uint64_t offset, void* into, DWORD size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return size == 0 || (ReadFile(file, into, size, &got, &at) && got == size);
}

bool MediaReader::Open(const StoredFile& stored, ScopedHandle own) {
    stored_ = stored;
    own_ = std::move(own);
    // Lengths travel as the LZ library's: a file of 2 GB or more is not read.
    if (stored.size > 0x7FFFFFFF) return false;
    unsigned char head[kCompressedHeaderSize];
    const DWORD n = stored.size < sizeof head ? static_cast<DWORD>(stored.size) : sizeof head;
    if (!ReadFileAt(stored.file, stored.offset, head, n)) return false;
    compressed_ = IsCompressedFile(head, n);
    damagedHeader_ = CheckCompressedHeader(head, n) != 0;
    const unsigned long expanded = compressed_ && !damagedHeader_ ? ReadCompressedLength(head) : 0;
    if (expanded > 0x7FFFFFFF) return false;
    length_ = compressed_ && !damagedHeader_ ? static_cast<long>(expanded) : static_cast<long>(stored.size);
    Rewind();
    return true;
}

void MediaReader::Rewind() {
    done_ = 0;
    finished_ = false;
    crc_ = Crc32();
    inAt_ = inEnd_ = input_;
    if (compressed_) expander_.Start(static_cast<uint32_t>(length_));
}

int MediaReader::Read(char* into, int count) {
    if (damagedHeader_) return kMediaDamaged;
    if (finished_) return 0;
    return compressed_ ? ReadCompressed(into, count) : ReadPlain(into, count);
}

bool MediaReader::Fill(void* into, DWORD size) {
    if (!ReadFileAt(stored_.file, stored_.offset + done_, into, size)) return false;
    if (stored_.checked) crc_.Add(into, size);
    // The blanked bytes lie in the program's headers, within the first read.
    if (stored_.blankAt != 0 && stored_.blankAt >= done_ && stored_.blankAt < done_ + size) {
        const uint64_t at = stored_.blankAt - done_;
        std::memset(static_cast<char*>(into) + at, 0, static_cast<size_t>(size - at < 8 ? size - at : 8));
    }
    done_ += size;
    return true;
}

int MediaReader::Finish(int n) {
    finished_ = true;
    return stored_.checked && crc_.Value() != stored_.crc ? kMediaDamaged : n;
}

int MediaReader::ReadPlain(char* into, int count) {
    const uint64_t left = stored_.size - done_;
    const DWORD n = left < static_cast<uint64_t>(count) ? static_cast<DWORD>(left) : static_cast<DWORD>(count);
    if (!Fill(into, n)) return LZERROR_READ;
    return done_ == stored_.size ? Finish(static_cast<int>(n)) : static_cast<int>(n);
}

int MediaReader::ReadCompressed(char* into, int count) {
    uint8_t* out = reinterpret_cast<uint8_t*>(into);
    uint8_t* const outEnd = out + count;
    for (;;) {
        if (inAt_ == inEnd_ && done_ < stored_.size) {
            const uint64_t left = stored_.size - done_;
            const DWORD n = left < sizeof input_ ? static_cast<DWORD>(left) : sizeof input_;
            // The header is summed with the rest, and passed over.
            const uint64_t skip = done_ < kCompressedHeaderSize ? kCompressedHeaderSize - done_ : 0;
            if (!Fill(input_, n)) return LZERROR_READ;
            inAt_ = input_ + (skip < n ? skip : n);
            inEnd_ = input_ + n;
        }
        const LzExpansion state = expander_.Expand(&inAt_, inEnd_, &out, outEnd);
        const int produced = static_cast<int>(out - reinterpret_cast<uint8_t*>(into));
        if (state == LzExpansion::Damaged) return kMediaDamaged;
        if (state == LzExpansion::Done) {
            // Bytes behind the expanded end are no part of a sound file.
            if (inAt_ != inEnd_ || done_ != stored_.size) return kMediaDamaged;
            return Finish(produced);
        }
        if (out == outEnd) return produced;
        // The data ended before the length the header states.
        if (inAt_ == inEnd_ && done_ == stored_.size) return kMediaDamaged;
    }
}
