// Deletion entries (del. sections).
#pragma once

int DeleteEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
