// The visitors of the action sections (each an EntryVisitor).
#pragma once

int FontEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int IniEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int TextLineEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int RegistryEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int GroupEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int DeleteEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
