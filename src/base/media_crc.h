// The CRC-32 media files are checked with: the common one of ZIP, PNG and
// zlib (polynomial 0x04C11DB7, reflected, starting and ending inverted), so
// that any tool can recompute it. It is summed chunk by chunk as a file is
// read, and written in a script as eight hexadecimal digits. Plain code
// without any platform header, so that the publisher's tool builds it too.
#pragma once
#include <cstddef>
#include <cstdint>

// The script's section that holds the CRC-32 of each media file, keyed by
// the file's name on the media: TOOLS.HL_=0A1B2C3D.
constexpr char kMediaCrcSection[] = "media.crc";

class Crc32 {
public:
    void Add(const void* data, size_t size);
    uint32_t Value() const { return ~state_; }

private:
    uint32_t state_ = 0xFFFFFFFFu;
};

uint32_t Crc32Of(const void* data, size_t size);

// The text form: eight hexadecimal digits, upper case, and a terminator.
void FormatCrc(uint32_t crc, char (&text)[9]);
// Reads exactly eight hexadecimal digits (either case); false otherwise.
bool ParseCrc(const char* text, uint32_t* crc);
