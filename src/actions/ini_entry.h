// INI file entries (ini. sections).
#pragma once

int IniEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
