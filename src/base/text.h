// Bounded text helpers. Every write into one of the program's fixed-width
// buffers goes through these, so no script text can run past a buffer: a text
// that does not fit is cut at the buffer's end and the caller is told.
#pragma once
#include <cstddef>

#include "base/text_compare.h"

// Copies src into dst (capacity cap, terminator included). Returns true when
// the whole text fit, false when it was cut. A null src copies as empty.
bool CopyText(char* dst, size_t cap, const char* src);
// Copies at most n characters of src.
bool CopyTextN(char* dst, size_t cap, const char* src, size_t n);
// Appends src behind the text already in dst; same result rule as CopyText.
bool AppendText(char* dst, size_t cap, const char* src);

template <size_t N> inline bool CopyText(char (&dst)[N], const char* src) { return CopyText(dst, N, src); }
// Copies at most `width` characters (UTF-16 units) of src, whole characters
// only; false when src was cut.
bool CopyTextWidth(char* dst, size_t cap, const char* src, size_t width);
template <size_t N> inline bool AppendText(char (&dst)[N], const char* src) { return AppendText(dst, N, src); }

// First occurrence of needle in text, or nullptr.
const char* FindText(const char* text, const char* needle);
char* FindText(char* text, const char* needle);

// Appends a backslash unless the path already ends with one; keeps within cap.
char* AddBackslash(char* path, size_t cap);
template <size_t N> inline char* AddBackslash(char (&path)[N]) { return AddBackslash(path, N); }

// Where the UTF-8 character that byte `at` of text belongs to starts (at
// itself unless it is a continuation byte): where a cut must go.
size_t CharacterStart(const char* text, size_t at);

// The length of a UTF-8 text in the platform's UTF-16 units: how the
// platform counts characters (a profile value's limit, a field's width).
size_t WideLength(const char* text, size_t length);
size_t WideLength(const char* text);

// True when text holds a carriage return or a line feed. Line-based files
// (INI files, the removal log) cannot hold such a text as one value.
bool HasLineBreak(const char* text);

