// Text line entries (str. sections).
#pragma once

int TextLineEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
