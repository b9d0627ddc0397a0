#include "szdd.h"

#include <algorithm>
#include <cstring>

#include "base/lz_expander.h"

namespace szdd {

namespace {

constexpr uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr uint8_t kMode = 'A';

constexpr unsigned kRing = 4096;
constexpr unsigned kFirstSlot = kRing - 16;  // where the first expanded byte goes
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 18;
// A source a whole ring behind sits in the very slot being written; readers
// that turn positions into distances can take that for distance 0.
constexpr unsigned kMaxDistance = kRing - 1;

// A flag bit plus a byte, a flag bit plus two bytes.
constexpr unsigned kLiteralBits = 9;
constexpr unsigned kMatchBits = 17;
// Positions parsed at once: the optimal parse needs a few bytes per position,
// so blocks keep memory flat; a match is only cut at a block's end.
constexpr size_t kBlock = size_t(1) << 16;

constexpr unsigned kHashBits = 15;
constexpr unsigned kMaxDepth = 256;
constexpr uint32_t kNone = 0xFFFFFFFFu;

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// How many bytes a and b have in common, from n up to limit. With wide,
// eight bytes past limit may be read.
inline unsigned Common(const uint8_t* a, const uint8_t* b, unsigned n, unsigned limit, bool wide) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (wide) {
        for (; n < limit; n += 8) {
            uint64_t x, y;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            if (x != y) return std::min(limit, n + unsigned(__builtin_ctzll(x ^ y)) / 8);
        }
        return limit;
    }
#else
    (void)wide;
#endif
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// Longest earlier match for every position in turn: a binary search tree
// per hash of three bytes over the positions still in the ring, ordered by
// the 18 bytes that start there. Inserting a position walks the path where
// it belongs, which passes its longest match, and splits the tree below it,
// so each step costs about the tree's depth, whatever the data.
class MatchFinder {
public:
    MatchFinder(const uint8_t* data, size_t size)
        : data_(data), size_(size), head_(size_t(1) << kHashBits, kNone), children_(2 * kRing, kNone) {}

    // Must see every position once, in order. Returns the length (0 when
    // shorter than kMinMatch) and sets source to the match's position.
    unsigned Next(size_t p, size_t* source) {
        if (size_ - p < kMinMatch) return 0;
        const uint8_t* here = data_ + p;
        uint32_t& head = head_[(((uint32_t(here[0]) << 16) | (uint32_t(here[1]) << 8) | here[2]) * 2654435761u) >>
                               (32 - kHashBits)];
        uint32_t node = head;
        head = uint32_t(p);
        const unsigned limit = unsigned(std::min<size_t>(kMaxMatch, size_ - p));
        const bool wide = size_ - p >= kMaxMatch + 8;
        // Where the next smaller and the next larger node hang below p.
        uint32_t* smaller = &children_[2 * (p % kRing)];
        uint32_t* larger = smaller + 1;
        unsigned smallerLength = 0, largerLength = 0;
        unsigned best = 0;
        // Positions out of reach end the walk: their slots may already
        // belong to newer positions. The depth bound only matters on
        // contrived data.
        for (unsigned depth = 0;; ++depth) {
            if (node == kNone || p - node > kMaxDistance || depth == kMaxDepth) {
                *smaller = *larger = kNone;
                break;
            }
            uint32_t* pair = &children_[2 * (node % kRing)];
            const uint8_t* there = data_ + node;
            // Both neighbours share this much with p, and so does node.
            unsigned n = Common(there, here, std::min(smallerLength, largerLength), limit, wide);
            if (n > best) {
                best = n;
                *source = node;
            }
            if (n == limit) {
                // node equals p as far as the tree looks: p takes its place.
                *smaller = pair[0];
                *larger = pair[1];
                break;
            }
            if (there[n] < here[n]) {
                *smaller = node;
                smaller = &pair[1];
                smallerLength = n;
                node = *smaller;
            } else {
                *larger = node;
                larger = &pair[0];
                largerLength = n;
                node = *larger;
            }
        }
        return best >= kMinMatch ? best : 0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    std::vector<uint32_t> head_;
    std::vector<uint32_t> children_;  // per ring slot: smaller, larger
};

// Tokens in groups of eight behind a flag byte, least significant bit first,
// 1 for a literal.
class TokenWriter {
public:
    explicit TokenWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Literal(uint8_t byte) {
        Flag(true);
        out_.push_back(byte);
    }
    void Match(size_t source, unsigned length) {
        Flag(false);
        unsigned slot = unsigned((source + kFirstSlot) % kRing);
        out_.push_back(uint8_t(slot & 0xFF));
        out_.push_back(uint8_t(((slot >> 4) & 0xF0) | (length - kMinMatch)));
    }

private:
    void Flag(bool literal) {
        if (bit_ == 8) {
            flagAt_ = out_.size();
            out_.push_back(0);
            bit_ = 0;
        }
        if (literal) out_[flagAt_] |= uint8_t(1u << bit_);
        ++bit_;
    }
    std::vector<uint8_t>& out_;
    size_t flagAt_ = 0;
    unsigned bit_ = 8;
};

}  // namespace

const char* Describe(Status status) {
    switch (status) {
    case Status::Ok: return "ok";
    case Status::NotCompressed: return "not a compressed file";
    case Status::BadHeader: return "damaged compressed-file header";
    case Status::Truncated: return "compressed data ends early";
    case Status::Damaged: return "damaged compressed data";
    case Status::TooLarge: return "too large (4 GiB or more)";
    case Status::CannotRead: return "cannot read";
    case Status::CannotWrite: return "cannot write";
    }
    return "unknown error";
}

Status ReadHeader(const uint8_t* head, size_t headSize, uint64_t fileSize, Header* header) {
    const uint64_t have = std::min<uint64_t>(headSize, fileSize);
    if (have < sizeof kMagic || std::memcmp(head, kMagic, sizeof kMagic) != 0) return Status::NotCompressed;
    if (have < kHeaderSize || head[8] != kMode) return Status::BadHeader;
    const uint32_t length = ReadLe32(head + 10);
    const uint64_t data = fileSize - kHeaderSize;
    // Eight matches of 18 bytes behind one flag byte expand 17 bytes the
    // most, under 9 times; all literals grow by one flag byte in eight.
    if (data < (uint64_t(length) + 8) / 9 || data > length + (uint64_t(length) + 7) / 8) return Status::BadHeader;
    if (header) {
        header->lastChar = head[9];
        header->length = length;
    }
    return Status::Ok;
}

Status Compress(const uint8_t* data, size_t size, uint8_t lastChar, std::vector<uint8_t>& out) {
    if (uint64_t(size) > kMaxLength) return Status::TooLarge;
    out.reserve(out.size() + kHeaderSize + size + size / 8 + 1);
    out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
    out.push_back(kMode);
    out.push_back(lastChar);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint64_t(size) >> (8 * i)));

    // Every token's cost is fixed in bits, so the cheapest parse of a block
    // follows from the longest match at each position: any shorter length of
    // it is a match too. Walk back from the block's end choosing the cheaper.
    MatchFinder finder(data, size);
    TokenWriter writer(out);
    std::vector<uint8_t> longest(kBlock);
    std::vector<uint32_t> source(kBlock);
    std::vector<uint32_t> cost(kBlock + 1);
    std::vector<uint8_t> step(kBlock);
    for (size_t begin = 0; begin < size; begin += kBlock) {
        const size_t n = std::min(kBlock, size - begin);
        for (size_t i = 0; i < n; ++i) {
            size_t from = 0;
            longest[i] = uint8_t(finder.Next(begin + i, &from));
            source[i] = uint32_t(from);
        }
        cost[n] = 0;
        for (size_t i = n; i-- > 0;) {
            uint32_t best = kLiteralBits + cost[i + 1];
            unsigned choice = 1;
            const unsigned reach = unsigned(std::min<size_t>(longest[i], n - i));
            for (unsigned length = kMinMatch; length <= reach; ++length) {
                if (kMatchBits + cost[i + length] <= best) {
                    best = kMatchBits + cost[i + length];
                    choice = length;
                }
            }
            cost[i] = best;
            step[i] = uint8_t(choice);
        }
        for (size_t i = 0; i < n; i += step[i]) {
            if (step[i] == 1) writer.Literal(data[begin + i]);
            else writer.Match(source[i], step[i]);
        }
    }
    return Status::Ok;
}

namespace {

// Expands the data behind a sound header into out, sized to the header's
// length beforehand, with the installer's own expander.
Status Decode(const uint8_t* in, const uint8_t* end, std::vector<uint8_t>& out) {
    LzExpander expander;
    expander.Start(uint32_t(out.size()));
    uint8_t* o = out.data();
    switch (expander.Expand(&in, end, &o, o + out.size())) {
    case LzExpansion::Damaged: return Status::Damaged;
    case LzExpansion::More: return Status::Truncated;  // the output had room: the input ended
    case LzExpansion::Done: break;
    }
    return in == end ? Status::Ok : Status::Damaged;
}

}  // namespace

Status Expand(const uint8_t* file, size_t size, std::vector<uint8_t>& out, Header* header) {
    out.clear();
    Header h;
    Status status = ReadHeader(file, size, size, &h);
    if (status != Status::Ok) return status;
    if (header) *header = h;
    // Bounded by ReadHeader: at most nine times the data behind the header.
    out.resize(h.length);
    status = Decode(file + kHeaderSize, file + size, out);
    if (status != Status::Ok) out.clear();
    return status;
}

}  // namespace szdd
