// One character, given by its code point, written out in the Unicode forms
// the program reads and writes files in. Plain code without any platform
// header: the engine's file editors and the publisher's tool share it.
#pragma once
#include <cstdint>
#include <string>

// Appends the character as UTF-8 (one to four bytes).
void AppendUtf8(uint32_t code, std::string& out);
// Appends the character as UTF-16 in the given byte order: one unit, or a
// surrogate pair past U+FFFF.
void AppendUtf16(uint32_t code, bool littleEndian, std::string& out);
