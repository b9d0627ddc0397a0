// The container of media files appended to the installer, so that one
// program carries its own media. Its layout, from the end of the program's
// image (docs/bundle-format.md holds it for publishers):
//
//   payload  every media file's bytes as they lie on the media, back to back,
//            in the order of the index
//   index    header: file count (4), size of the names (4), payload size (8)
//            an entry per file: offset in the payload (8), size (8),
//              CRC-32 (4), offset of its name among the names (4), name
//              length (4)
//            the names, each followed by a zero byte
//            0 to 7 zero bytes, so that the file ends on a multiple of 8
//   trailer  container size (8), index size (4), the index's CRC-32 (4),
//            version (4), "STPBUNDL"
//
// Numbers are little-endian. The entries are sorted by name (letters A-Z
// compared without case), names are unique in that comparison, and every
// byte of the payload belongs to exactly one file. A signer appends its
// certificate table behind the trailer (after up to 7 zero bytes); the
// header entry that points at it leads the reader to the trailer.
// Plain code without any platform header.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/byte_source.h"
#include "base/exe_layout.h"

constexpr char kBundleMagic[8] = {'S', 'T', 'P', 'B', 'U', 'N', 'D', 'L'};
constexpr uint32_t kBundleVersion = 1;
constexpr size_t kBundleTrailerSize = 28;
constexpr size_t kBundleIndexHeaderSize = 16;
constexpr size_t kBundleEntrySize = 28;
constexpr size_t kBundleNameMax = 255;

enum class BundleStatus {
    kOk,
    kNone,          // nothing follows the program's image: the program carries no media
    kNotExe,        // not a Windows program
    kCutShort,      // the file ends before its image, or before its certificate table ends
    kNoTrailer,     // data follow the image, but no container's trailer ends them
    kNewerVersion,  // a container of a later layout
    kBadTrailer,    // the trailer's sizes do not fit between the image and the trailer
    kIndexCrc,      // the index does not match its CRC-32
    kBadIndex,      // the index contradicts itself or the payload
    kFileCrc,       // a file's data do not match its CRC-32
    kUnreadable,    // reading the file failed
    kNoMemory,
};

// A text for each status, for messages and tests.
const char* DescribeBundleStatus(BundleStatus status);

// A name the index may hold: 1 to kBundleNameMax bytes, none of them a
// control character or one of \ / : * ? " < > | (a file name on the media).
bool IsBundleName(const char* name, size_t length);

// Compares names as the index sorts them: letters A-Z without case, the
// other bytes by value.
int CompareBundleNames(const char* a, size_t aLength, const char* b, size_t bLength);

struct BundleFile {
    const char* name;  // zero-terminated, within the index
    size_t nameLength;
    uint64_t offset;   // in the program's file
    uint64_t size;
    uint32_t crc;
};

class Bundle {
public:
    Bundle() = default;
    ~Bundle();
    Bundle(const Bundle&) = delete;
    Bundle& operator=(const Bundle&) = delete;

    // Finds the container the program's file carries and checks its trailer
    // and index: kOk when it is sound, kNone when there is none.
    BundleStatus Open(ByteSource& file);

    size_t Count() const { return count_; }
    // The i-th file in the index's order.
    BundleFile File(size_t i) const;
    // The file of that name (letters A-Z without case); false when none.
    bool Find(const char* name, BundleFile* file) const;
    // The program alone: its bytes before the container, and where the
    // header points at the certificate table (to be cleared in a copy).
    uint64_t ProgramSize() const { return containerOffset_; }
    const ExeLayout& Layout() const { return layout_; }

    // Reads a file's data and compares their CRC-32: kOk, kFileCrc or
    // kUnreadable.
    BundleStatus CheckFile(ByteSource& file, const BundleFile& entry) const;

private:
    BundleStatus ReadIndex(ByteSource& file, uint64_t end);
    BundleStatus CheckIndex();

    ExeLayout layout_;
    unsigned char* index_ = nullptr;
    uint64_t indexSize_ = 0;
    size_t count_ = 0;
    uint64_t containerOffset_ = 0;
    uint64_t payloadSize_ = 0;
};
