// The engine's text and the platform's wide (UTF-16) text. The engine keeps
// its text in one code page; the wide calls take it converted here, so that
// a change of the engine's code page is a change of one constant.
#pragma once
#include <windows.h>

#include <cstddef>

constexpr UINT kEngineCodePage = CP_ACP;

// Converts into out (capacity cap in characters, terminator included). False
// when the text does not fit or cannot be converted; out is then empty.
bool ToWide(const char* text, wchar_t* out, size_t cap);
bool FromWide(const wchar_t* text, char* out, size_t cap);

template <size_t N> inline bool ToWide(const char* text, wchar_t (&out)[N]) { return ToWide(text, out, N); }
template <size_t N> inline bool FromWide(const wchar_t* text, char (&out)[N]) { return FromWide(text, out, N); }
