// The engine's text and the platform's wide (UTF-16) text. Text inside the
// engine is UTF-8; it becomes UTF-16 only at the call into the platform, and
// what the platform gives back becomes UTF-8 again at once. Every platform
// call that takes or gives text uses its W twin through these helpers.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

constexpr UINT kEngineCodePage = CP_UTF8;

// Converts into out (capacity cap in characters, terminator included). False
// when the text does not fit or cannot be converted; out is then empty.
bool ToWide(const char* text, wchar_t* out, size_t cap);
bool FromWide(const wchar_t* text, char* out, size_t cap);

template <size_t N> inline bool ToWide(const char* text, wchar_t (&out)[N]) { return ToWide(text, out, N); }
template <size_t N> inline bool FromWide(const wchar_t* text, char (&out)[N]) { return FromWide(text, out, N); }

// The UTF-16 twin of a UTF-8 text, for one call into the platform:
// CreateFileW(Wide(path).c_str(), ...). A null text converts as empty.
std::wstring Wide(const char* text);
std::wstring Wide(const char* text, size_t length);
// The UTF-8 text of a UTF-16 one the platform gave; length -1 reads to the
// terminator.
std::string Narrow(const wchar_t* text, int length = -1);

// Text of the machine's legacy (ANSI) code page, as an old script or an ANSI
// file holds it, and back. FromAnsi never fails for text the code page
// reads; ToAnsi is false when a character has no exact spelling in the code
// page (no best fit is ever written), and leaves out untouched then.
std::string FromAnsi(const char* text, size_t length);
bool ToAnsi(const char* utf8, std::string& out);

// A path's room in the engine's UTF-8 buffers: every character of a
// MAX_PATH path may take three bytes.
constexpr size_t kPathBytes = 3 * (MAX_PATH - 1) + 1;
