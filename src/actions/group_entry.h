// Program group entries (group. sections).
#pragma once

int GroupEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
