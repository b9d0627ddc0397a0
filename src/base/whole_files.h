// Files that are whole or absent after a kill: what the installer writes in
// place of a file is written beside it first, under the file's name with
// kBesideSuffix, made durable, and then moved over the file in one step.
// The name beside is the installer's own: a run that finds one (a run
// before it was killed) may take it over or delete it.
#pragma once
#include <windows.h>

#include <cstddef>

#include "base/text_buffer.h"

constexpr char kBesideSuffix[] = ".setup-new";

// The path of the file written beside `path`; false when it does not fit.
bool BesidePath(const char* path, char* beside, size_t cap);
template <size_t N> inline bool BesidePath(const char* path, char (&beside)[N]) { return BesidePath(path, beside, N); }
// The whole file into text; false when it cannot be read whole. A file that
// is not there reads as empty (*exists false).
bool ReadWholeFile(const char* path, TextBuffer& text, bool* exists);
// Makes `path` hold exactly the text; false when it could not be written
// whole (a part may be left: write beside, then move into place).
bool WriteWholeFile(const char* path, const TextBuffer& text);
// Moves a file written beside `path` over it (or into its place), after its
// data reached the disk. False, and the file beside is deleted, when that
// fails: `path` is then as it was.
bool MoveIntoPlace(const char* beside, const char* path);
// Copies `source` to `destination` byte for byte, with its attributes and
// last-write time; `destination` appears only once the copy is whole.
// False when it could not be made (nothing is left behind then).
bool SaveWholeCopy(const char* source, const char* destination);
