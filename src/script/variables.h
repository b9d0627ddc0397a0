// Script variables and the expansion of %Name% pieces.
#pragma once
#include <cstddef>

#include "base/script_tables.h"
#include "base/text_buffer.h"

// First row of the variable table whose name equals name (letter case kept).
const ScriptVariable* FindVariable(const char* name);
// Appends a row with the name and an empty value; null when the table is full.
ScriptVariable* AppendVariable(const char* name);

// One of the built-in names of expansion (WinDir, WinDisk, SysDir, SysDisk,
// InstDir; any letter case).
bool IsBuiltInName(const char* name);

// Writes the expansion of text into out (capacity cap bytes; a longer result
// is cut at the buffer's end, on a whole character). A caller that holds a
// width in characters checks it (WideLength). With split the text is cut in place on '%' and every
// piece looked up; without, the whole text is looked up as one name.
// Built-in names (WinDir, WinDisk, SysDir, SysDisk, InstDir; any letter case)
// come before the table. Returns false when the result was cut.
bool ExpandText(char* text, char* out, size_t cap, bool split);
template <size_t N> inline bool ExpandText(char* text, char (&out)[N], bool split) {
    return ExpandText(text, out, N, split);
}
// The same into a buffer that grows; false when the result would be longer
// than limit characters (UTF-16 units) (out then holds its start) or memory ran short.
bool ExpandText(char* text, TextBuffer& out, size_t limit, bool split);
