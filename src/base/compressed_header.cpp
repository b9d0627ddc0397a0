#include "base/compressed_header.h"

namespace {

const unsigned char kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

}  // namespace

long CheckCompressedHeader(const unsigned char* start, size_t size) {
    if (!start || size < sizeof kSignature) return 0;
    for (size_t i = 0; i < sizeof kSignature; ++i)
        if (start[i] != kSignature[i]) return 0;
    if (size < kCompressedHeaderSize) return kLzErrorRead;
    if (start[8] != 'A') return kLzErrorUnknownMethod;
    return 0;
}
