#include "script/section_walk.h"

#include <cstring>

#include "base/profile_text.h"
#include "base/results.h"
#include "base/text_buffer.h"

namespace {

const VisitedEntry* current = nullptr;

}  // namespace

const VisitedEntry* CurrentEntry() { return current; }

int WalkSection(ProfileReader& reader, const char* section, char keySeparator, char valueSeparator,
                EntryVisitor visitor, void* context, const WalkReports& reports) {
    TextBuffer keys;
    // One value buffer for the whole section: it grows for a long value and
    // keeps its room for the entries after it.
    TextBuffer value;
    TextBuffer keyText;
    if (!reader.ReadKeys(section, keys) || !value.Reserve(kValueSize)) {
        if (reports.outOfMemory) reports.outOfMemory(context);
        return kAbort;
    }
    // The list ends at its first empty key, or at its end.
    char* at = keys.Length() ? keys.Data() : nullptr;
    char* end = at ? at + keys.Length() : nullptr;
    const VisitedEntry* outer = current;
    int visited = 0;
    int result = 0;
    for (; at && at < end && *at && result != kAbort; ++visited) {
        size_t keyLength = std::strlen(at);
        keyText.Assign(at);
        VisitedEntry entry = {section, keyText.Text()};
        current = &entry;
        // The platform would answer a key beyond its limit with the key
        // list, and cut a value beyond it: neither is the entry as written.
        if (keyLength > kProfileTextLimit || !reader.ReadValue(section, at, value) || !value.Reserve(1)) {
            result = reports.unreadable ? reports.unreadable(context) : kSkipped;
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
    return result == kAbort ? kAbort : visited;
}
