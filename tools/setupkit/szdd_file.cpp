// Whole-file helpers of the codec, on the C library's files so that the
// same code serves the Windows and the native build.
#include <cstdio>
#include <cstring>

#include "szdd.h"

namespace szdd {

namespace {

// The largest file a 32-bit length can describe: every byte a literal.
constexpr uint64_t kMaxCompressedSize = kHeaderSize + kMaxLength + (kMaxLength + 7) / 8;

}  // namespace

Status ReadWholeFile(const char* path, uint64_t limit, std::vector<uint8_t>& data) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return Status::CannotRead;
    data.clear();
    Status status = Status::Ok;
    // No size query: a 32-bit ftell cannot tell sizes past 2 GiB.
    static const size_t kChunk = size_t(1) << 20;
    for (;;) {
        const size_t at = data.size();
        data.resize(at + kChunk);
        const size_t got = std::fread(data.data() + at, 1, kChunk, file);
        data.resize(at + got);
        if (got < kChunk) {
            if (std::ferror(file)) status = Status::CannotRead;
            break;
        }
        if (data.size() > limit) {
            status = Status::TooLarge;
            break;
        }
    }
    std::fclose(file);
    if (status == Status::Ok && data.size() > limit) status = Status::TooLarge;
    return status;
}

Status WriteWholeFile(const char* path, const std::vector<uint8_t>& data) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return Status::CannotWrite;
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = std::fclose(file) == 0 && ok;
    if (ok) return Status::Ok;
    std::remove(path);
    return Status::CannotWrite;
}

namespace {

const char* NameOf(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\' || *p == ':') name = p + 1;
    return name;
}

}  // namespace

uint8_t ReplacedChar(const char* plainPath, const char* compressedPath) {
    const char* plain = NameOf(plainPath);
    const char* packed = NameOf(compressedPath);
    const size_t n = std::strlen(plain);
    if (n == 0 || std::strlen(packed) != n || packed[n - 1] != '_') return 0;
    return uint8_t(plain[n - 1]);
}

Status CompressFile(const char* inPath, const char* outPath) {
    std::vector<uint8_t> data;
    Status status = ReadWholeFile(inPath, kMaxLength, data);
    if (status != Status::Ok) return status;
    std::vector<uint8_t> packed;
    status = Compress(data.data(), data.size(), ReplacedChar(inPath, outPath), packed);
    if (status != Status::Ok) return status;
    return WriteWholeFile(outPath, packed);
}

Status ExpandFile(const char* inPath, const char* outPath) {
    std::vector<uint8_t> packed;
    Status status = ReadWholeFile(inPath, kMaxCompressedSize, packed);
    // Past the largest file a header can describe: say whether it even is one.
    if (status == Status::TooLarge) {
        status = ReadHeader(packed.data(), packed.size(), packed.size(), nullptr);
        return status == Status::Ok ? Status::BadHeader : status;
    }
    if (status != Status::Ok) return status;
    std::vector<uint8_t> data;
    status = Expand(packed.data(), packed.size(), data);
    if (status != Status::Ok) return status;
    return WriteWholeFile(outPath, data);
}

}  // namespace szdd
