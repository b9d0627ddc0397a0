// Registry data as script text. Escaped text: outside a group every character
// is one byte and "<<" is one '<'; a group <..> holds pairs of hex digits.
// Plain code without any platform header, so that it also builds natively
// for fuzzing and the publisher's tool. unsigned long is the platform's DWORD.
#pragma once
#include <cstddef>

// Size of the registry data buffers: a present value, decoded data, escaped text.
constexpr unsigned long kRegistryDataSize = 1024;

// Writes the escaped text of the bytes (bytes below 0x20, from 0x80 up and '<'
// in groups of lower-case hex pairs) and a terminator, never more than
// capacity characters in all; bytes that no longer fit are left out. Returns
// the characters written, terminator included.
size_t BinaryToText(char* destination, size_t capacity, const unsigned char* bytes, size_t length);
// Whether text is well-formed escaped text: every group closed, and holding
// nothing but pairs of the digits 0-9 and a-f. Only such text decodes to the
// bytes it spells; anything else would give bytes nobody wrote.
bool IsEscapedText(const char* text);
// Writes the bytes that escaped text stands for, at most capacity, without a
// terminator; returns their number. Never reads past the text's terminator.
size_t TextToBinary(unsigned char* destination, size_t capacity, const char* text);

// Reads a number the way "%lX" input does: blanks, a sign, an optional "0x",
// hex digits of either case, up to the first other character. False when no
// digit comes first or the number needs more than 32 bits.
bool ReadHexNumber(const char* text, unsigned long* value);
