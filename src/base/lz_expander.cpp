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

// Bytes go straight to the output, and a reference reads them back from
// there; only what lies before this call's output is read from the ring,
// which takes the output's last bytes at the end.
LzExpansion LzExpander::Expand(const uint8_t** inAt, const uint8_t* inEnd, uint8_t** outAt, uint8_t* outEnd) {
    // The state in locals: every byte written could alias a member as far as
    // the compiler can tell, which would reload it at every step.
    const uint8_t* in = *inAt;
    uint8_t* const start = *outAt;
    uint8_t* out = start;
    const uint8_t* const ring = ring_;
    const unsigned slot = slot_;
    unsigned flags = flags_, flagsLeft = flagsLeft_, copyFrom = copyFrom_, copyLeft = copyLeft_;
    uint32_t left = left_;
    // Copies `length` bytes from ring slot `from` (a whole ring back when it
    // is the slot being written). Byte by byte: a reference that overlaps the
    // bytes being written repeats them, as the platform's reader does.
    auto copy = [&](unsigned from, unsigned length) {
        const size_t made = out - start;
        size_t distance = (slot + made - from) & kMask;
        if (distance == 0) distance = kRing;
        unsigned k = 0;
        for (; k < length && made + k < distance; ++k) *out++ = ring[(from + k) & kMask];
        for (; k < length; ++k, ++out) *out = *(out - distance);
    };
    LzExpansion result = LzExpansion::More;
    for (;;) {
        if (copyLeft > 0) {
            const size_t room = static_cast<size_t>(outEnd - out);
            const unsigned n = room < copyLeft ? static_cast<unsigned>(room) : copyLeft;
            copy(copyFrom, n);
            copyFrom = (copyFrom + n) & kMask;
            copyLeft -= n;
            if (copyLeft > 0) break;
        }
        // Whole groups while there is room for one either way.
        while (flagsLeft == 0 && !haveLow_ && inEnd - in >= kGroupIn && outEnd - out >= kGroupOut &&
               left >= kGroupOut) {
            unsigned group = *in++;
            for (int k = 0; k < 8; ++k, group >>= 1) {
                if (group & 1) {
                    *out++ = *in++;
                    --left;
                    continue;
                }
                const unsigned length = (in[1] & 0x0Fu) + kMinMatch;
                copy(in[0] | ((in[1] & 0xF0u) << 4), length);
                in += 2;
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
            *out++ = *in++;
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
    // The ring takes the last bytes made, at their slots.
    const size_t made = out - start;
    const size_t kept = made < kRing ? made : kRing;
    const unsigned at = static_cast<unsigned>((slot + made - kept) & kMask);
    const size_t first = kept < kRing - at ? kept : kRing - at;
    if (kept > 0) {
        std::memcpy(ring_ + at, out - kept, first);
        std::memcpy(ring_, out - kept + first, kept - first);
    }
    slot_ = static_cast<unsigned>((slot + made) & kMask);
    flags_ = flags;
    flagsLeft_ = flagsLeft;
    copyFrom_ = copyFrom;
    copyLeft_ = copyLeft;
    left_ = left;
    *inAt = in;
    *outAt = out;
    return result;
}
