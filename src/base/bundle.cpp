#include "base/bundle.h"

#include <cstdlib>
#include <cstring>

#include "base/media_crc.h"

namespace {

unsigned char Folded(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

}  // namespace

const char* DescribeBundleStatus(BundleStatus status) {
    switch (status) {
        case BundleStatus::kOk: return "sound";
        case BundleStatus::kNone: return "no media appended";
        case BundleStatus::kNotExe: return "not a Windows program";
        case BundleStatus::kCutShort: return "the file is cut short";
        case BundleStatus::kNoTrailer: return "data follow the program, but no container ends them (cut short?)";
        case BundleStatus::kNewerVersion: return "a container of a later layout";
        case BundleStatus::kBadTrailer: return "the container's trailer does not fit the file";
        case BundleStatus::kIndexCrc: return "the index does not match its CRC-32";
        case BundleStatus::kBadIndex: return "the index contradicts itself";
        case BundleStatus::kFileCrc: return "a file does not match its CRC-32";
        case BundleStatus::kUnreadable: return "the file cannot be read";
        case BundleStatus::kNoMemory: return "no memory for the index";
    }
    return "?";
}

bool IsBundleName(const char* name, size_t length) {
    if (length == 0 || length > kBundleNameMax) return false;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
    }
    return true;
}

int CompareBundleNames(const char* a, size_t aLength, const char* b, size_t bLength) {
    for (size_t i = 0; i < aLength && i < bLength; ++i) {
        const unsigned char x = Folded(static_cast<unsigned char>(a[i]));
        const unsigned char y = Folded(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return aLength == bLength ? 0 : aLength < bLength ? -1 : 1;
}

Bundle::~Bundle() { std::free(index_); }

BundleStatus Bundle::Open(ByteSource& file) {
    std::free(index_);
    index_ = nullptr;
    indexSize_ = payloadSize_ = containerOffset_ = 0;
    count_ = 0;
    switch (ReadExeLayout(file, &layout_)) {
        case ExeStatus::kExe: break;
        case ExeStatus::kNotExe: return BundleStatus::kNotExe;
        case ExeStatus::kUnreadable: return BundleStatus::kUnreadable;
    }
    const uint64_t size = file.Size();
    uint64_t end = size;
    if (layout_.Signed()) {
        // Both are 32-bit fields: their sum cannot overflow.
        if (layout_.certificateOffset + layout_.certificateSize > size) return BundleStatus::kCutShort;
        end = layout_.certificateOffset;
    }
    if (end < layout_.imageEnd) return BundleStatus::kCutShort;
    if (layout_.Signed()) {
        // The signer starts its table on a multiple of 8, after zeros.
        unsigned char tail[7];
        const uint64_t n = end - layout_.imageEnd < sizeof tail ? end - layout_.imageEnd : sizeof tail;
        if (!file.ReadAt(end - n, tail, static_cast<size_t>(n))) return BundleStatus::kUnreadable;
        for (uint64_t i = n; i > 0 && tail[i - 1] == 0; --i) --end;
    }
    if (end == layout_.imageEnd) return BundleStatus::kNone;
    return ReadIndex(file, end);
}

BundleStatus Bundle::ReadIndex(ByteSource& file, uint64_t end) {
    unsigned char trailer[kBundleTrailerSize];
    if (end - layout_.imageEnd < kBundleTrailerSize) return BundleStatus::kNoTrailer;
    if (!file.ReadAt(end - kBundleTrailerSize, trailer, sizeof trailer)) return BundleStatus::kUnreadable;
    if (std::memcmp(trailer + 20, kBundleMagic, sizeof kBundleMagic) != 0) return BundleStatus::kNoTrailer;
    const uint32_t version = ReadLe32(trailer + 16);
    if (version > kBundleVersion) return BundleStatus::kNewerVersion;
    if (version != kBundleVersion) return BundleStatus::kBadTrailer;
    const uint64_t containerSize = ReadLe64(trailer);
    indexSize_ = ReadLe32(trailer + 8);
    if (containerSize > end - layout_.imageEnd || indexSize_ < kBundleIndexHeaderSize ||
        containerSize < kBundleTrailerSize + indexSize_)
        return BundleStatus::kBadTrailer;
    containerOffset_ = end - containerSize;
    payloadSize_ = containerSize - kBundleTrailerSize - indexSize_;

    // A 32-bit size: it fits a size_t on every build.
    if (!(index_ = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(indexSize_)))))
        return BundleStatus::kNoMemory;
    if (!file.ReadAt(containerOffset_ + payloadSize_, index_, static_cast<size_t>(indexSize_)))
        return BundleStatus::kUnreadable;
    if (Crc32Of(index_, static_cast<size_t>(indexSize_)) != ReadLe32(trailer + 12)) return BundleStatus::kIndexCrc;
    const BundleStatus status = CheckIndex();
    if (status != BundleStatus::kOk) count_ = 0;
    return status;
}

// Every entry in order: its data where the one before ended, its name behind
// the one before, the last ending where the payload and the names end.
BundleStatus Bundle::CheckIndex() {
    const uint64_t count = ReadLe32(index_), namesSize = ReadLe32(index_ + 4);
    const uint64_t namesAt = kBundleIndexHeaderSize + count * kBundleEntrySize;
    if (ReadLe64(index_ + 8) != payloadSize_ || namesAt + namesSize > indexSize_ ||
        indexSize_ - namesAt - namesSize > 7)
        return BundleStatus::kBadIndex;
    for (uint64_t i = namesAt + namesSize; i < indexSize_; ++i)
        if (index_[i]) return BundleStatus::kBadIndex;
    count_ = static_cast<size_t>(count);
    uint64_t data = 0, names = 0;
    BundleFile before = {};
    for (size_t i = 0; i < count_; ++i) {
        const unsigned char* e = index_ + kBundleIndexHeaderSize + i * kBundleEntrySize;
        const uint64_t offset = ReadLe64(e), size = ReadLe64(e + 8);
        const uint64_t nameAt = ReadLe32(e + 20), nameLength = ReadLe32(e + 24);
        if (offset != data || size > payloadSize_ - data || nameAt != names || nameLength >= namesSize - names)
            return BundleStatus::kBadIndex;
        const char* name = reinterpret_cast<const char*>(index_ + namesAt + nameAt);
        if (name[nameLength] != '\0' || !IsBundleName(name, static_cast<size_t>(nameLength)))
            return BundleStatus::kBadIndex;
        const BundleFile file = File(i);
        if (i > 0 && CompareBundleNames(before.name, before.nameLength, file.name, file.nameLength) >= 0)
            return BundleStatus::kBadIndex;
        before = file;
        data += size;
        names += nameLength + 1;
    }
    return data == payloadSize_ && names == namesSize ? BundleStatus::kOk : BundleStatus::kBadIndex;
}

BundleFile Bundle::File(size_t i) const {
    const unsigned char* e = index_ + kBundleIndexHeaderSize + i * kBundleEntrySize;
    const size_t namesAt = kBundleIndexHeaderSize + count_ * kBundleEntrySize;
    BundleFile file;
    file.name = reinterpret_cast<const char*>(index_ + namesAt + ReadLe32(e + 20));
    file.nameLength = ReadLe32(e + 24);
    file.offset = containerOffset_ + ReadLe64(e);
    file.size = ReadLe64(e + 8);
    file.crc = ReadLe32(e + 16);
    return file;
}

bool Bundle::Find(const char* name, BundleFile* file) const {
    const size_t length = std::strlen(name);
    size_t low = 0, high = count_;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const BundleFile at = File(middle);
        const int order = CompareBundleNames(name, length, at.name, at.nameLength);
        if (order == 0) {
            *file = at;
            return true;
        }
        if (order < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return false;
}

BundleStatus Bundle::CheckFile(ByteSource& file, const BundleFile& entry) const {
    unsigned char chunk[16384];
    Crc32 crc;
    for (uint64_t done = 0; done < entry.size;) {
        const size_t n = entry.size - done < sizeof chunk ? static_cast<size_t>(entry.size - done) : sizeof chunk;
        if (!file.ReadAt(entry.offset + done, chunk, n)) return BundleStatus::kUnreadable;
        crc.Add(chunk, n);
        done += n;
    }
    return crc.Value() == entry.crc ? BundleStatus::kOk : BundleStatus::kFileCrc;
}
