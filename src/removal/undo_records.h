// The lines of an install pass's undo journal: before each change the pass
// makes, a line that says how to put it back, so that a pass that is
// cancelled, fails or is killed can be undone, in reverse order, by this run
// or the next. One line a change, fields separated by tabs, each field with
// '\', tab, CR and LF escaped, so any text (a path, registry data) fits.
// Plain code without any platform header.
//
//     start   1                         the journal's form
//     log     absent | saved            the removal log before the pass
//     new     PATH                      a file the pass makes: deleted
//     aside   PATH  ASIDE               a file the pass replaces or deletes, moved aside: moved back
//     folder  PATH                      a folder the pass makes: removed when empty
//     value   ROOT\KEY  NAME  TYPE|absent  HEX   a registry value the pass sets: put back
//     key     ROOT\KEY                  a registry key the pass makes: deleted when empty
//     commit                            the pass ran to its end: nothing is undone
#pragma once
#include <initializer_list>

#include "base/text_buffer.h"

enum class UndoKind { Start, Log, NewFile, Aside, Folder, Value, Key, Commit };

constexpr int kUndoFields = 4;

struct UndoLine {
    UndoKind kind;
    const char* fields[kUndoFields];
    int count;
};

// Appends one line (with its CR LF) to out; false when memory ran out.
bool ComposeUndoLine(UndoKind kind, std::initializer_list<const char*> fields, TextBuffer& out);

// Reads one line (without its line break), unescaping its fields in place;
// false when it is no line of a journal (an unknown kind, a field too many
// or too few, a bad escape), as the last line of a journal cut short by a
// kill may be.
bool ParseUndoLine(char* line, UndoLine& out);

// Registry data as text: two hexadecimal digits a byte, and back; false on
// anything else.
bool HexOfBytes(const unsigned char* data, unsigned long length, TextBuffer& out);
bool BytesOfHex(const char* text, TextBuffer& out);
