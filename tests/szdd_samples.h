// Inputs for the codec's round trips, shared by the native tests and the
// unit tests under Wine: sizes around the edges of the token groups and of
// the ring, and two kinds of content.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace samples {

inline const size_t kSizes[] = {0, 1, 2, 3, 15, 16, 17, 18, 19, 4095, 4096, 4097, 300000};

inline uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Incompressible: almost every token a literal.
inline std::vector<uint8_t> Random(size_t size, uint32_t seed) {
    std::vector<uint8_t> data(size);
    for (uint8_t& b : data) b = uint8_t(NextRandom(seed) >> 11);
    return data;
}

// Words from a small vocabulary, indented lines and rules of one character:
// matches near and far, runs that copy from the bytes being written, and
// spaces like the ones the ring starts with.
inline std::vector<uint8_t> Text(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"install", "the",  "setup",    "file", "of",     "a",
                                         "disk",    "copy", "windows",  "and",  "program", "group",
                                         "to",      "is",   "expanded", "LZ",   "media",  "product"};
    std::vector<uint8_t> data;
    data.reserve(size + 80);
    while (data.size() < size) {
        uint32_t r = NextRandom(seed);
        if (r % 29 == 0) {
            data.insert(data.end(), 4 + r % 60, uint8_t("= -"[r % 3]));
            data.push_back('\n');
        } else if (r % 11 == 0) {
            data.insert(data.end(), {'\r', '\n'});
            data.insert(data.end(), r % 9, ' ');
        } else {
            const char* w = kWords[(r >> 8) % (sizeof kWords / sizeof *kWords)];
            while (*w) data.push_back(uint8_t(*w++));
            data.push_back(' ');
        }
    }
    data.resize(size);
    return data;
}

}  // namespace samples
