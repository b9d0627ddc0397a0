#include "base/compressed_header.h"

namespace {

const unsigned char kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

}  // namespace

bool IsCompressedFile(const unsigned char* start, size_t size) {
    if (!start || size < sizeof kSignature) return false;
    for (size_t i = 0; i < sizeof kSignature; ++i)
        if (start[i] != kSignature[i]) return false;
    return true;
}

unsigned long ReadCompressedLength(const unsigned char* header) {
    return header[10] | header[11] << 8 | static_cast<unsigned long>(header[12]) << 16 |
           static_cast<unsigned long>(header[13]) << 24;
}

long CheckCompressedHeader(const unsigned char* start, size_t size) {
    if (!IsCompressedFile(start, size)) return 0;
    if (size < kCompressedHeaderSize) return kLzErrorRead;
    if (start[8] != 'A') return kLzErrorUnknownMethod;
    return 0;
}
