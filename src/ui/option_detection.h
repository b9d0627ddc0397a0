// The option groups that preselect the choice matching this machine: its
// platform and version, its ANSI code page, and its screen font size. Each is
// the visitor of the group's section; the context is the group's row.
#pragma once

int PlatformChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int CodePageChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int FontSizeChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
