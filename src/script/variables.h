// Script variables and the expansion of %Name% pieces.
#pragma once
#include <cstddef>

#include "run/setup_state.h"

// First row of the variable table whose name equals name (letter case kept).
const ScriptVariable* FindVariable(const char* name);
// Appends a row with the name and an empty value; null when the table is full.
ScriptVariable* AppendVariable(const char* name);

// Writes the expansion of text into out (capacity cap; a longer result is cut
// at the buffer's end). With split the text is cut in place on '%' and every
// piece looked up; without, the whole text is looked up as one name.
// Built-in names (WinDir, WinDisk, SysDir, SysDisk, InstDir; any letter case)
// come before the table. Returns false when the result was cut.
bool ExpandText(char* text, char* out, size_t cap, bool split);
template <size_t N> inline bool ExpandText(char* text, char (&out)[N], bool split) {
    return ExpandText(text, out, N, split);
}

// Visitors of the [reg] and [path] sections.
int RegVariableEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int PathVariableEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Empties the table and reads [reg] of the script into it; the result of the
// enumeration (-1 only when it could not run).
int ReadRegVariables();
// Reads [path] for an install pass. The rows of an earlier pass are replaced,
// not appended again, so the answers of this pass are the ones looked up and
// repeated passes cannot fill the table. -1 ends the pass.
int ReadPathVariables();

// The path dialog (template 40) for a row and its prompt: 1 OK, 2 Cancel.
int PathDialog(ScriptVariable* row, const char* prompt);
