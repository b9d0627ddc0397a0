// Copy entries: the files of a component's own section, disk by disk.
#pragma once
#include <windows.h>

// Copy-section visitor (an EntryVisitor).
int CopyEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
