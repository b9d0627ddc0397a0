// Registry entries (reg. sections).
#pragma once

int RegistryEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
