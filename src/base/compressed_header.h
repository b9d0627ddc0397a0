// The header of a media file stored compressed: the signature "SZDD" 0x88 0xF0
// 0x27 0x33, the method byte 'A', the character a compressed name lost, and
// the expanded length (four bytes, low byte first). Plain code without any
// platform header, so that it also builds natively (fuzzing, the publisher's
// tool).
#pragma once
#include <cstddef>

// The header's size, and how many bytes a check needs at most.
constexpr size_t kCompressedHeaderSize = 14;

// Error codes of the LZ library that a damaged header stands for.
constexpr long kLzErrorRead = -3;            // the header is cut short
constexpr long kLzErrorUnknownMethod = -8;   // a method other than 'A'

// Checks the first bytes of a file (size of them given, at most the whole
// file). 0 when the file is plain (it does not start with the whole
// signature) or its header is sound; otherwise the LZ error code of the
// damage. The LZ library itself takes a damaged header for a plain file.
long CheckCompressedHeader(const unsigned char* start, size_t size);
// Whether a file starts with the whole signature (its header may still be damaged).
bool IsCompressedFile(const unsigned char* start, size_t size);
// The expanded length a sound header states.
unsigned long ReadCompressedLength(const unsigned char* header);
