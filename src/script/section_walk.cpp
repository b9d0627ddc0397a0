#include "script/section_walk.h"

#include <cstring>

#include "base/profile_text.h"
#include "base/text.h"
#include "base/text_buffer.h"

StepResult WalkSection(ProfileReader& reader, const char* section, char keySeparator, char valueSeparator,
                       EntryVisitor visitor, void* context, const WalkReports& reports, int* visited) {
    if (visited) *visited = 0;
    TextBuffer keys;
    // One value buffer for the whole section: it grows for a long value and
    // keeps its room for the entries after it.
    TextBuffer value;
    TextBuffer keyText;
    if (!reader.ReadKeys(section, keys) || !value.Reserve(kValueSize)) {
        if (reports.outOfMemory) reports.outOfMemory(context);
        return StepResult::Abort;
    }
    // The list ends at its first empty key, or at its end.
    char* at = keys.Length() ? keys.Data() : nullptr;
    char* end = at ? at + keys.Length() : nullptr;
    StepResult result = StepResult::GoOn;
    for (int index = 0; at && at < end && *at && result != StepResult::Abort; ++index) {
        // The key is cut in place below: its end is taken first.
        size_t keyLength = std::strlen(at);
        char* next = at + keyLength + 1;
        keyText.Assign(at);
        if (visited) ++*visited;
        char* keyFields[kFieldRoom];
        char* valueFields[kFieldRoom];
        SectionEntry entry = {section, keyText.Text(), reader.Line(section, keyText.Text()), keyFields, 0,
                              valueFields, 0, index};
        // The platform would answer a key beyond its limit with the key
        // list, and cut a value beyond it: neither is the entry as written.
        if (WideLength(at, keyLength) > kProfileTextLimit || !reader.ReadValue(section, at, value) || !value.Reserve(1)) {
            keyFields[0] = valueFields[0] = nullptr;
            result = reports.unreadable ? reports.unreadable(entry, context) : StepResult::Skipped;
        } else {
            SplitFields(value.Data(), valueFields, &entry.valueCount, valueSeparator, kFieldRoom);
            SplitFields(at, keyFields, &entry.keyCount, keySeparator, kFieldRoom);
            result = visitor(entry, context);
        }
        at = next;
    }
    return result == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
}
