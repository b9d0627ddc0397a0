#include "base/exe_layout.h"

namespace {

constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kFileHeaderSize = 24;  // "PE\0\0" and the COFF header
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kSymbolSize = 18;
constexpr int kSecurityDirectory = 4;

// Where the data directories and their count lie in the two kinds of
// optional header.
struct OptionalHeaderKind {
    uint16_t magic;
    uint64_t countAt, directoriesAt;
};
constexpr OptionalHeaderKind kKinds[] = {{0x10B, 92, 96}, {0x20B, 108, 112}};

uint64_t Max(uint64_t a, uint64_t b) { return a > b ? a : b; }

}  // namespace

ExeStatus ReadExeLayout(ByteSource& file, ExeLayout* layout) {
    *layout = ExeLayout();
    const uint64_t size = file.Size();
    unsigned char dos[kDosHeaderSize];
    if (size < kDosHeaderSize) return ExeStatus::kNotExe;
    if (!file.ReadAt(0, dos, sizeof dos)) return ExeStatus::kUnreadable;
    if (dos[0] != 'M' || dos[1] != 'Z') return ExeStatus::kNotExe;
    const uint64_t pe = ReadLe32(dos + 0x3C);
    unsigned char head[kFileHeaderSize];
    if (pe + kFileHeaderSize > size) return ExeStatus::kNotExe;
    if (!file.ReadAt(pe, head, sizeof head)) return ExeStatus::kUnreadable;
    if (head[0] != 'P' || head[1] != 'E' || head[2] || head[3]) return ExeStatus::kNotExe;
    const uint64_t sections = ReadLe16(head + 6);
    const uint64_t symbols = ReadLe32(head + 12), symbolCount = ReadLe32(head + 16);
    const uint64_t optionalSize = ReadLe16(head + 20);
    const uint64_t optional = pe + kFileHeaderSize;
    const uint64_t sectionTable = optional + optionalSize;
    if (sectionTable + sections * kSectionHeaderSize > size) return ExeStatus::kNotExe;

    // The optional header's size stands in the file header; the parts read
    // here must lie within it.
    unsigned char opt[112 + 8 * 16] = {};
    const uint64_t readable = optionalSize < sizeof opt ? optionalSize : sizeof opt;
    if (readable < 64) return ExeStatus::kNotExe;
    if (!file.ReadAt(optional, opt, static_cast<size_t>(readable))) return ExeStatus::kUnreadable;
    const OptionalHeaderKind* kind = nullptr;
    for (const OptionalHeaderKind& k : kKinds)
        if (ReadLe16(opt) == k.magic) kind = &k;
    if (!kind || readable < kind->directoriesAt) return ExeStatus::kNotExe;
    const uint64_t headersSize = ReadLe32(opt + 60);
    layout->imageEnd = Max(headersSize, sectionTable + sections * kSectionHeaderSize);

    const uint64_t security = kind->directoriesAt + 8 * kSecurityDirectory;
    if (ReadLe32(opt + kind->countAt) > kSecurityDirectory && security + 8 <= readable) {
        layout->certificateEntry = optional + security;
        layout->certificateSize = ReadLe32(opt + security + 4);
        if (layout->certificateSize) layout->certificateOffset = ReadLe32(opt + security);
    }

    for (uint64_t i = 0; i < sections; ++i) {
        unsigned char section[kSectionHeaderSize];
        if (!file.ReadAt(sectionTable + i * kSectionHeaderSize, section, sizeof section)) return ExeStatus::kUnreadable;
        const uint64_t rawSize = ReadLe32(section + 16), rawAt = ReadLe32(section + 20);
        if (rawSize) layout->imageEnd = Max(layout->imageEnd, rawAt + rawSize);
    }
    // A linker's symbol table and the string table behind it, which starts
    // with its own size (the debug build keeps them).
    if (symbols && symbolCount) {
        uint64_t end = symbols + symbolCount * kSymbolSize;
        unsigned char stringsSize[4];
        if (end + 4 <= size) {
            if (!file.ReadAt(end, stringsSize, sizeof stringsSize)) return ExeStatus::kUnreadable;
            end += Max(4, ReadLe32(stringsSize));
        }
        layout->imageEnd = Max(layout->imageEnd, end);
    }
    return ExeStatus::kExe;
}
