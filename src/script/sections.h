// Reading script sections: every section is enumerated by ForEachEntry, which
// cuts each entry's key and value into fields and hands them to a visitor.
#pragma once
#include <cstddef>

#include "base/messages.h"

// Room of a field list handed to a visitor: 15 fields and the null pointer.
constexpr int kFieldRoom = 16;
constexpr int kKeyListSize = 8192;
// The room a value is first read into; longer values are read again into more.
constexpr int kValueSize = 256;

using EntryVisitor = int (*)(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Visits every entry of a section. Returns the number of entries visited, or
// -1 when the visitor asked to stop or the key buffer could not be allocated.
// A separator of 0 leaves that text whole. Values reach the visitor whole; an
// entry whose key or value is longer than the profile functions carry is not
// visited but reported (ReportEntry), and its OK passes it over.
int ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                 EntryVisitor visitor, void* context);

// Cuts text in place on separator; a doubled separator stands for one literal
// separator. fields must have room for `room` pointers (fields plus the null
// pointer); once room - 1 fields exist, later separators stay in the last
// field as plain characters. Returns the position of the original terminator.
char* SplitFields(char* text, char** fields, int* count, char separator, int room);

// Reports the entry now being visited, named by its section and its key as
// written, with the OK/Cancel message id. kAbort after Cancel (the visitor
// returns it and the pass ends), kSkipped after OK.
int ReportEntry(EntryMessage id);
