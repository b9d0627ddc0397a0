// The LZ-compressed file form the platform's LZ expansion library reads:
// a 14-byte header, then LZSS tokens over a 4096-byte ring of history.
// Platform independent; no exceptions, every failure is a Status.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

constexpr size_t kHeaderSize = 14;
// The header stores the expanded length in 32 bits.
constexpr uint64_t kMaxLength = 0xFFFFFFFFu;

enum class Status {
    Ok,
    NotCompressed,  // does not start with the signature
    BadHeader,      // the signature, but a header that cannot describe the data after it
    Truncated,      // the data ends before the expanded length is reached
    Damaged,        // a token runs past the expanded length, or bytes follow the end
    TooLarge,       // more than kMaxLength bytes to compress
    CannotRead,
    CannotWrite,
};

// A short lower-case phrase for messages.
const char* Describe(Status status);

struct Header {
    uint8_t lastChar = 0;  // the last character of the name the compressed name replaced; 0 when none
    uint32_t length = 0;   // expanded length
};

// Checks the header of a file of fileSize bytes from its first headSize
// bytes (all of them, or at least kHeaderSize): the signature, the mode and
// whether the length fits the amount of data behind the header. Ok or
// NotCompressed or BadHeader; header is filled on Ok.
Status ReadHeader(const uint8_t* head, size_t headSize, uint64_t fileSize, Header* header);

// Appends the compressed form of data to out.
Status Compress(const uint8_t* data, size_t size, uint8_t lastChar, std::vector<uint8_t>& out);

// Replaces out with the expansion of a whole compressed file; out is empty
// on a failure. Data that does not expand to exactly the header's length is
// refused. header, when given, is filled once the header is found sound.
Status Expand(const uint8_t* file, size_t size, std::vector<uint8_t>& out, Header* header = nullptr);

// The character the compressed file's name replaced: the last one of
// plainPath's name when compressedPath's name is as long and ends in '_'
// (readme.txt -> readme.tx_), otherwise 0.
uint8_t ReplacedChar(const char* plainPath, const char* compressedPath);

// Reads a whole file into data: TooLarge once it passes limit bytes, or
// CannotRead.
Status ReadWholeFile(const char* path, uint64_t limit, std::vector<uint8_t>& data);
// Writes data as the whole file; CannotWrite leaves no file behind.
Status WriteWholeFile(const char* path, const std::vector<uint8_t>& data);

// Whole files. A failure leaves no output file behind; CannotWrite names
// the output, every other failure the input.
Status CompressFile(const char* inPath, const char* outPath);
Status ExpandFile(const char* inPath, const char* outPath);

}  // namespace szdd
