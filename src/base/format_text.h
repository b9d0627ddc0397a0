// Bounded formatting of the program's message and dialog texts, with the
// conversions of the platform's wsprintfA: %s, %c, %d, %i, %u, %x and %X, the
// flags "-", "#" and "0" in that order, a width, a precision and the size
// letters l and h; "%%" is one percent sign. Texts are UTF-8: a width or
// precision of %s counts characters, %c writes its number as a character's
// code in UTF-8. At most cap - 1 bytes are written, and always a terminator;
// a text cut at cap ends between characters, never inside one.
//
// The arguments are typed and counted, because some formats come from files
// (the resource library's templates): a conversion with no argument left, or
// with an argument of the other kind, writes nothing, so no format can read
// what was not handed over.
#pragma once
#include <cstddef>
#include <initializer_list>

struct FormatArgument {
    bool isText;
    const char* text;  // shown as "(null)" when null
    long number;
};

inline FormatArgument TextArgument(const char* text) { return {true, text, 0}; }
inline FormatArgument NumberArgument(long number) { return {false, nullptr, number}; }

// Returns the length written.
size_t FormatText(char* out, size_t cap, const char* format, const FormatArgument* arguments, size_t count);
inline size_t FormatText(char* out, size_t cap, const char* format, std::initializer_list<FormatArgument> arguments) {
    return FormatText(out, cap, format, arguments.begin(), arguments.size());
}
