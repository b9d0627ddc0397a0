#include "base/lz_expander.h"

#include <cstring>

namespace {

constexpr unsigned kFirstSlot = 4096 - 16;  // where the first expanded byte goes
constexpr uint8_t kRingFill = ' ';
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMask = 4096 - 1;
// A whole group (a flag byte and eight references) fits in this much input
// and expands to at most this much output: the loop that takes whole groups
// then needs no test per token.
constexpr ptrdiff_t kGroupIn = 1 + 8 * 2;
constexpr ptrdiff_t kGroupOut = 8 * 18;

}  // namespace

void LzExpander::Start(uint32_t length) {
    std::memset(ring_, kRingFill, sizeof ring_);
    slot_ = kFirstSlot;
    left_ = length;
    flags_ = flagsLeft_ = 0;
    haveLow_ = false;
    copyLeft_ = 0;
}

LzExpansion LzExpander::Expand(const uint8_t** inAt, const uint8_t* inEnd, uint8_t** outAt, uint8_t* outEnd) {
    // The state in locals: every byte written could alias a member as far as
    // the compiler can tell, which would reload it at every step.
    const uint8_t* in = *inAt;
    uint8_t* out = *outAt;
    uint8_t* const ring = ring_;
    unsigned slot = slot_, flags = flags_, flagsLeft = flagsLeft_, copyFrom = copyFrom_, copyLeft = copyLeft_;
    uint32_t left = left_;
    LzExpansion result = LzExpansion::More;
    for (;;) {
        // Byte by byte: a reference that overlaps the bytes being written
        // repeats them, as the platform's reader does.
        for (; copyLeft > 0 && out < outEnd; --copyLeft) {
            ring[slot] = *out++ = ring[copyFrom];
            copyFrom = (copyFrom + 1) & kMask;
            slot = (slot + 1) & kMask;
        }
        if (copyLeft > 0) break;
        // Whole groups while there is room for one either way.
        while (flagsLeft == 0 && !haveLow_ && inEnd - in >= kGroupIn && outEnd - out >= kGroupOut &&
               left >= kGroupOut) {
            unsigned group = *in++;
            for (int k = 0; k < 8; ++k, group >>= 1) {
                if (group & 1) {
                    ring[slot] = *out++ = *in++;
                    slot = (slot + 1) & kMask;
                    --left;
                    continue;
                }
                unsigned from = in[0] | ((in[1] & 0xF0u) << 4);
                const unsigned length = (in[1] & 0x0Fu) + kMinMatch;
                in += 2;
                for (unsigned n = 0; n < length; ++n) {
                    ring[slot] = *out++ = ring[from];
                    from = (from + 1) & kMask;
                    slot = (slot + 1) & kMask;
                }
                left -= length;
            }
        }
        if (left == 0) {
            result = LzExpansion::Done;
            break;
        }
        if (out == outEnd) break;
        if (flagsLeft == 0) {
            if (in == inEnd) break;
            flags = *in++;
            flagsLeft = 8;
        }
        if (flags & 1) {
            if (in == inEnd) break;
            ring[slot] = *out++ = *in++;
            slot = (slot + 1) & kMask;
            --left;
        } else {
            if (!haveLow_) {
                if (in == inEnd) break;
                low_ = *in++;
                haveLow_ = true;
            }
            if (in == inEnd) break;
            const uint8_t high = *in++;
            haveLow_ = false;
            copyFrom = low_ | ((high & 0xF0u) << 4);
            copyLeft = (high & 0x0Fu) + kMinMatch;
            if (copyLeft > left) {
                copyLeft = 0;
                result = LzExpansion::Damaged;
                break;
            }
            left -= copyLeft;
        }
        flags >>= 1;
        --flagsLeft;
    }
    slot_ = slot;
    flags_ = flags;
    flagsLeft_ = flagsLeft;
    copyFrom_ = copyFrom;
    copyLeft_ = copyLeft;
    left_ = left;
    *inAt = in;
    *outAt = out;
    return result;
}
