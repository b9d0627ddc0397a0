// Cutting script texts into fields on a separator character.
#pragma once

// Room of a field list handed to a visitor: 15 fields and the null pointer.
constexpr int kFieldRoom = 16;
// The room a value is first read into; longer values are read again into more.
constexpr int kValueSize = 256;

// Cuts text in place on separator; a doubled separator stands for one literal
// separator. fields must have room for `room` pointers (fields plus the null
// pointer); once room - 1 fields exist, later separators stay in the last
// field as plain characters. A separator of 0 leaves the text whole. Returns
// the position of the original terminator.
char* SplitFields(char* text, char** fields, int* count, char separator, int room);
