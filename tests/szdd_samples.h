// Inputs for the codec's round trips, shared by the native tests and the
// tests under Wine: every size up to a few token groups, then sizes around
// the ring and one far beyond it; and the expansion piece by piece.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/lz_expander.h"
#include "szdd.h"

namespace samples {

inline std::vector<size_t> Sizes() {
    std::vector<size_t> sizes;
    for (size_t size = 0; size <= 40; ++size) sizes.push_back(size);
    for (size_t size : {4095, 4096, 4097, 4114, 300000}) sizes.push_back(size);
    return sizes;
}

inline uint32_t Next(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Random bytes (nearly all literals), or words, indentation and rules of one
// character: matches near and far, runs that copy from the bytes being
// written, and spaces like those the ring starts with.
inline std::vector<uint8_t> Make(bool text, size_t size, uint32_t seed) {
    static const char* const kWords[] = {"setup ", "the ",  "file ",    "disk ",      "copy ",
                                         "group ", "of a ", "program ", "\r\n      ", "\r\n"};
    std::vector<uint8_t> data;
    while (data.size() < size) {
        const uint32_t r = Next(seed);
        if (!text) data.push_back(uint8_t(r >> 11));
        else if (r % 29 == 0) data.insert(data.end(), 4 + r % 60, uint8_t("= -"[r % 3]));
        else for (const char* w = kWords[(r >> 8) % 10]; *w; ++w) data.push_back(uint8_t(*w));
    }
    data.resize(size);
    return data;
}

// Expands a whole file as the installer does as it reads it: at most inStep
// bytes of it and outStep bytes of room at a time. The codec's status for
// what the expansion finds.
inline szdd::Status ExpandInPieces(const std::vector<uint8_t>& file, size_t inStep, size_t outStep,
                                   std::vector<uint8_t>* out) {
    szdd::Header header;
    szdd::Status status = szdd::ReadHeader(file.data(), file.size(), file.size(), &header);
    if (status != szdd::Status::Ok) return status;
    out->assign(header.length, 0);
    LzExpander expander;
    expander.Start(header.length);
    const uint8_t *in = file.data() + szdd::kHeaderSize, *end = file.data() + file.size();
    uint8_t *o = out->data(), *outEnd = out->data() + out->size();
    for (;;) {
        const uint8_t* inLimit = in + std::min<size_t>(inStep, end - in);
        uint8_t* outLimit = o + std::min<size_t>(outStep, outEnd - o);
        switch (expander.Expand(&in, inLimit, &o, outLimit)) {
        case LzExpansion::Damaged: return szdd::Status::Damaged;
        case LzExpansion::Done: return in == end ? szdd::Status::Ok : szdd::Status::Damaged;
        case LzExpansion::More:  // stopped for want of input, when it had room
            if (in == end && o < outLimit) return szdd::Status::Truncated;
        }
    }
}

}  // namespace samples
