// The target file of an INI or text line entry, named by its first key field,
// and the opening steps that both kinds of entry share.
#pragma once
#include <windows.h>

#include "base/text_buffer.h"

// Longest first key field kept as written (for the removal log), terminator
// included: a path, as long as the platform takes one.
constexpr int kEntryFileTextSize = MAX_PATH;

// A bare file name lives in the Windows directory; otherwise the field is cut
// on '\' into at most three pieces, the first piece (expanded as a whole name)
// names the directory and the last piece is the file name; a middle piece is
// not used. Cuts keyField in place. False, with path emptied, when the field
// has more than three pieces or the path does not fit.
bool BuildEntryPath(char* keyField, char (&path)[MAX_PATH]);

// What an INI or text line entry works with: the first key field as written
// (for the removal log), the file, and the expanded section and key.
struct FileEntry {
    char fileText[kEntryFileTextSize];
    char path[MAX_PATH];
    char section[MAX_PATH];
    char key[MAX_PATH];
};

// OpenFileEntry's result when the entry is to be carried out.
constexpr int kCarryOut = 2;

// The shared opening of an INI or text line entry: the cancel test, the
// condition, the file path, the expansions (value whole, up to the longest
// text a profile file carries), the status line and the file's directory.
// Returns kCarryOut when the entry is to be carried out, otherwise the
// entry's result: kAbort stop the pass, kGoOn the condition failed. An entry
// with too few key fields, a text that does not fit (writing a cut name would
// change something the script did not name) or a text with a line break is
// reported, as is a file path that holds a device name: kSkipped after OK,
// kAbort after Cancel.
int OpenFileEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, FileEntry& entry,
                  TextBuffer& value);
