#include "script/sections.h"

#include <windows.h>

#include "base/messages.h"
#include "base/results.h"

char* SplitFields(char* text, char** fields, int* count, char separator, int room) {
    int n = 0;
    fields[0] = text;
    char* w = text;
    char* r = text;
    bool justBroke = false;
    for (; *r; ++r) {
        char c = *r;
        if (separator && c == separator) {
            if (justBroke) {  // the second of a pair takes the break back
                --n;
                w[-1] = separator;
                justBroke = false;
                continue;
            }
            if (n + 2 <= room - 1) {
                *w++ = '\0';
                fields[++n] = w;
                justBroke = true;
                continue;
            }
        }
        *w++ = c;
        justBroke = false;
    }
    *w = '\0';
    *count = n + 1;
    fields[n + 1] = nullptr;
    return r;
}

namespace {

// The keys of a section, each zero-terminated and an extra zero after the
// last, in a zero-filled block the caller frees; nullptr when no block could
// be had. The profile reader cuts a list longer than the block, perhaps in the
// middle of a key: a cut list is read again into a block twice the size, so
// every key of a long section is visited, and visited whole.
char* ReadKeyList(const char* section, const char* scriptPath) {
    for (DWORD size = kKeyListSize;; size *= 2) {
        char* keys = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
        if (!keys) return nullptr;
        DWORD length = GetPrivateProfileStringA(section, nullptr, "", keys, size, scriptPath);
        if (length + 2 < size || size > 0x40000000) return keys;
        HeapFree(GetProcessHeap(), 0, keys);
    }
}

}  // namespace

int ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                 EntryVisitor visitor, void* context) {
    char* keys = ReadKeyList(section, scriptPath);
    if (!keys) {
        ShowOutOfMemory();
        return kAbort;
    }
    int visited = 0;
    char* at = keys;
    while (*at) {
        char value[kValueSize];
        char* keyFields[kFieldRoom];
        char* valueFields[kFieldRoom];
        int keyCount = 0, valueCount = 0;
        GetPrivateProfileStringA(section, at, "", value, sizeof value, scriptPath);
        SplitFields(value, valueFields, &valueCount, valueSeparator, kFieldRoom);
        char* end = SplitFields(at, keyFields, &keyCount, keySeparator, kFieldRoom);
        if (visitor(keyFields, keyCount, valueFields, valueCount, context) == kAbort) {
            HeapFree(GetProcessHeap(), 0, keys);
            return kAbort;
        }
        at = end + 1;
        ++visited;
    }
    HeapFree(GetProcessHeap(), 0, keys);
    return visited;
}
