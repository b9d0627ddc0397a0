#include "script/sections.h"

#include <windows.h>

#include <cstring>

#include "base/messages.h"
#include "base/profile_text.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text_buffer.h"

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

// The entry a visitor is working on, for the messages that name it. A visitor
// may start another enumeration (those of options and disks do): each keeps
// the entry it interrupted and puts it back.
struct CurrentEntry {
    const char* section;
    const char* key;
};
const CurrentEntry* current = nullptr;

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
    // One value buffer for the whole section: it grows for a long value and
    // keeps its room for the entries after it.
    TextBuffer value;
    TextBuffer keyText;
    const CurrentEntry* outer = current;
    int visited = 0;
    int result = 0;
    for (char* at = keys; *at && result != kAbort; ++visited) {
        size_t keyLength = std::strlen(at);
        keyText.Assign(at);
        CurrentEntry entry = {section, keyText.Text()};
        current = &entry;
        // The reader would answer a key beyond its limit with the key list,
        // and cut a value beyond it: neither is the entry as written.
        if (keyLength > kProfileTextLimit || !ReadProfileText(section, at, "", scriptPath, value)) {
            result = ReportEntry(kMsgCannotCarryOut);
        } else {
            char* keyFields[kFieldRoom];
            char* valueFields[kFieldRoom];
            int keyCount = 0, valueCount = 0;
            SplitFields(value.Data(), valueFields, &valueCount, valueSeparator, kFieldRoom);
            SplitFields(at, keyFields, &keyCount, keySeparator, kFieldRoom);
            result = visitor(keyFields, keyCount, valueFields, valueCount, context);
        }
        current = outer;
        at += keyLength + 1;
    }
    HeapFree(GetProcessHeap(), 0, keys);
    return result == kAbort ? kAbort : visited;
}

int ReportEntry(EntryMessage id) {
    const char* section = current ? current->section : "";
    const char* key = current ? current->key : "";
    return ReportMessage(OwnerWindow(), id, kStyleOkCancel, section, key) == IDCANCEL ? kAbort : kSkipped;
}
