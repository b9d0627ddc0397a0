// Copy entries: the files of a component's own section, disk by disk.
#pragma once
#include <windows.h>

// The compressed-name rule: a file name ending in "_" and one more character c
// is installed without those two characters and read from the media under
// that name with its last character replaced by c. 1 when the rule applied.
int SplitMediaName(const char* fileName, char (&targetName)[MAX_PATH], char (&mediaName)[MAX_PATH]);

// Copy-section visitor (an EntryVisitor).
int CopyEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
