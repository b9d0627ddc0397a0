// The walk over a section's entries that every section of a script is read
// with: each entry's key and value are cut into fields on two separator
// characters and handed to a visitor. Plain code over a ProfileReader, so
// that the walk is the same whether the platform reads the file or the
// bytes are in memory.
#pragma once

#include "base/profile_reader.h"
#include "script/fields.h"

using EntryVisitor = int (*)(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// What the walk does with what it cannot hand to the visitor.
struct WalkReports {
    // An entry whose key or value is longer than the profile functions
    // carry; its result counts as the visitor's (kAbort stops the walk).
    int (*unreadable)(void* context);
    // The key list could not be read; the walk then returns kAbort.
    void (*outOfMemory)(void* context);
};

// The entry now being visited, named by its section and its key as written;
// null outside a visit. A visitor may start another walk: each puts back the
// entry it interrupted.
struct VisitedEntry {
    const char* section;
    const char* key;
};
const VisitedEntry* CurrentEntry();

// Visits every entry of a section in file order. Returns the number of
// entries visited, or kAbort when the visitor (or an unreadable entry) asked
// to stop or the key list could not be read. A separator of 0 leaves that
// text whole. Values reach the visitor whole.
int WalkSection(ProfileReader& reader, const char* section, char keySeparator, char valueSeparator,
                EntryVisitor visitor, void* context, const WalkReports& reports);
