// Where the program's libraries come from. The installer runs with
// administrator rights from media that anyone may have written to, so no
// library is ever looked up beside it or in the current directory: the entry
// restricts the search to the system directory before anything else runs, and
// the libraries used by only a few calls are loaded from there by full path,
// once, and handed out as typed calls.
#pragma once
#include <windows.h>
#include <lzexpand.h>

// The first thing the program does. Where the platform cannot restrict the
// default search, the current directory is at least taken out of it.
void RestrictLibrarySearch();

// Loads a library of the system directory by file name ("lz32.dll");
// nullptr when it cannot be loaded. The calls below load theirs once and keep
// it for the life of the process, as the run uses them to its end.
HMODULE SystemLibrary(const char* fileName);

// The LZ expansion library's calls; nullptr when the library or one of its
// calls is missing.
struct LzCalls {
    decltype(&LZInit) init;
    decltype(&LZRead) read;
    decltype(&LZSeek) seek;
    decltype(&LZClose) close;
};
const LzCalls* LzLibrary();

// The gradient fill of msimg32.dll; nullptr when it is missing.
decltype(&GradientFill) GradientFillCall();
// The transparent copy of msimg32.dll; nullptr when it is missing.
decltype(&TransparentBlt) TransparentBltCall();
