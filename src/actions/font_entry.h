// Font resource entries (fot. sections).
#pragma once

int FontEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
