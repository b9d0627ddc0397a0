// The compressed-file header check of the engine, and the codec of the
// publisher's tool: the input is taken as a compressed file (checked and
// expanded) and as a file to compress (which must expand back the same).
#include "../szdd_samples.h"
#include "base/compressed_header.h"
#include "szdd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The engine's check and the codec's agree on what is a compressed file
    // with a damaged header.
    long check = CheckCompressedHeader(data, size);
    szdd::Status header = szdd::ReadHeader(data, size, size, nullptr);
    if (check != 0 && header != szdd::Status::BadHeader) __builtin_trap();
    if (header == szdd::Status::NotCompressed && check != 0) __builtin_trap();

    std::vector<uint8_t> out;
    szdd::Header h;
    szdd::Status expanded = szdd::Expand(data, size, out, &h);
    // Expanded a piece at a time, as the installer reads a file, in pieces
    // the input chooses: the same bytes, or the same refusal.
    if (size > 2) {
        std::vector<uint8_t> pieces;
        const std::vector<uint8_t> file(data, data + size);
        if (samples::ExpandInPieces(file, 1 + data[size - 1] % 40, 1 + data[size - 2] * 3, &pieces) != expanded ||
            (expanded == szdd::Status::Ok && pieces != out))
            __builtin_trap();
    }
    if (expanded == szdd::Status::Ok) {
        if (check != 0 || out.size() != h.length) __builtin_trap();
        // Compressed again, it expands to the same bytes.
        std::vector<uint8_t> packed, back;
        if (szdd::Compress(out.data(), out.size(), h.lastChar, packed) != szdd::Status::Ok) __builtin_trap();
        if (szdd::Expand(packed.data(), packed.size(), back) != szdd::Status::Ok || back != out) __builtin_trap();
    } else if (!out.empty()) {
        __builtin_trap();
    }

    std::vector<uint8_t> packed, back;
    if (szdd::Compress(data, size, 'x', packed) != szdd::Status::Ok) __builtin_trap();
    if (CheckCompressedHeader(packed.data(), packed.size()) != 0) __builtin_trap();
    szdd::Header ph;
    if (szdd::Expand(packed.data(), packed.size(), back, &ph) != szdd::Status::Ok) __builtin_trap();
    if (ph.length != size || ph.lastChar != 'x' || back != std::vector<uint8_t>(data, data + size)) __builtin_trap();
    return 0;
}
