// `setupkit bundle MEDIA_DIR OUT.EXE`: one program that carries single-disk
// media: the media's setup.exe with every other media file appended in the
// container that src/base/bundle.h reads. See docs/bundle-format.md.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace bundle {

// A media file in the container, in the index's order.
struct Member {
    std::string name;
    uint64_t size = 0;
    uint32_t crc = 0;
};

// The index and the trailer behind members laid out back to back, after
// `before` bytes (the program and the payload): with the index's zero
// bytes that make the whole end on a multiple of 8.
std::vector<uint8_t> EncodeTail(const std::vector<Member>& members, uint64_t before);

// args: MEDIA_DIR, OUT.EXE. Exit status: 0 done, 1 failed (one line on
// stderr names the file), 2 bad usage.
int BundleCommand(char** args);

}  // namespace bundle
