// The target file of an INI or text line entry, named by its first key field.
#pragma once
#include <windows.h>

// Longest first key field kept as written (for the removal log), terminator included.
constexpr int kEntryFileTextSize = 64;

// A bare file name lives in the Windows directory; otherwise the field is cut
// on '\' into at most three pieces, the first piece (expanded as a whole name)
// names the directory and the last piece is the file name; a middle piece is
// not used. Cuts keyField in place. False, with path emptied, when the field
// has more than three pieces or the path does not fit.
bool BuildEntryPath(char* keyField, char (&path)[MAX_PATH]);
