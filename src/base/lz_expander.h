// Expands the data of a compressed media file (the LZ library's form: flag
// bytes, each for eight tokens, a literal byte or a two-byte reference into
// a 4096-byte ring of history) a piece at a time, as the pieces are read.
// The installer expands a file it reads itself with it (a file inside its
// own program, where the platform's library cannot seek), and the
// publisher's tool expands whole files with it. Plain code without any
// platform header.
#pragma once
#include <cstddef>
#include <cstdint>

enum class LzExpansion {
    More,     // more input wanted, or room for more output
    Done,     // the stated length is reached
    Damaged,  // a reference runs past the stated length
};

class LzExpander {
public:
    // Starts over, for data behind the header that expand to `length` bytes.
    void Start(uint32_t length);
    // Expands what *in holds up to inEnd into *out up to outEnd, moving both
    // on. More when either runs out first; after Done, input left over means
    // the file holds bytes beyond its end.
    LzExpansion Expand(const uint8_t** in, const uint8_t* inEnd, uint8_t** out, uint8_t* outEnd);
    // Bytes still to come.
    uint32_t Left() const { return left_ + copyLeft_; }

private:
    static constexpr unsigned kRing = 4096;
    uint8_t ring_[kRing];
    unsigned slot_ = 0;
    uint32_t left_ = 0;      // bytes no token has produced yet
    unsigned flags_ = 0;     // the flag byte, shifted as its tokens are taken
    unsigned flagsLeft_ = 0;
    bool haveLow_ = false;   // a reference's first byte came at the end of the last input
    uint8_t low_ = 0;
    unsigned copyFrom_ = 0;  // a reference cut short by the end of the last output
    unsigned copyLeft_ = 0;
};
