// Reading script sections: every section is enumerated by ForEachEntry, which
// cuts each entry's key and value into fields and hands them to a visitor.
#pragma once
#include <cstddef>

// Room of a field list handed to a visitor: 15 fields and the null pointer.
constexpr int kFieldRoom = 16;
constexpr int kKeyListSize = 8192;
constexpr int kValueSize = 256;

using EntryVisitor = int (*)(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Visits every entry of a section. Returns the number of entries visited, or
// -1 when the visitor asked to stop or the key buffer could not be allocated.
// A separator of 0 leaves that text whole.
int ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                 EntryVisitor visitor, void* context);

// Cuts text in place on separator; a doubled separator stands for one literal
// separator. fields must have room for `room` pointers (fields plus the null
// pointer); once room - 1 fields exist, later separators stay in the last
// field as plain characters. Returns the position of the original terminator.
char* SplitFields(char* text, char** fields, int* count, char separator, int room);
