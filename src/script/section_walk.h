// The walk over a section's entries that every section of a script is read
// with: each entry's key and value are cut into fields on two separator
// characters and handed to a visitor. Plain code over a ProfileReader, so
// that the walk is the same whether the platform reads the file or the
// bytes are in memory.
#pragma once

#include "base/profile_reader.h"
#include "base/results.h"
#include "script/fields.h"

// One entry as the walk hands it to its visitor: valid during the visit.
// The visitor may change the fields' text in place, within each field.
struct SectionEntry {
    const char* section;
    const char* key;  // the whole key as written, before it was cut
    int line;         // its line in the file, from 1; 0 when the reader cannot tell
    char** keyFields;
    int keyCount;
    char** valueFields;
    int valueCount;
    int index;        // its place in the section's key list, from 0
};

using EntryVisitor = StepResult (*)(SectionEntry& entry, void* context);

// What the walk does with what it cannot hand to the visitor.
struct WalkReports {
    // An entry whose key or value is longer than the profile functions
    // carry; its result counts as the visitor's (Abort stops the walk).
    // Given the entry's section and key, fields empty.
    StepResult (*unreadable)(SectionEntry& entry, void* context);
    // The key list could not be read; the walk then ends with Abort.
    void (*outOfMemory)(void* context);
};

// Visits every entry of a section in file order. Abort when the visitor (or
// an unreadable entry) asked to stop or the key list could not be read;
// otherwise GoOn. `visited` (when given) counts the entries visited. A
// separator of 0 leaves that text whole. Values reach the visitor whole. A
// visitor may start another walk: each has buffers of its own.
StepResult WalkSection(ProfileReader& reader, const char* section, char keySeparator, char valueSeparator,
                       EntryVisitor visitor, void* context, const WalkReports& reports, int* visited = nullptr);
