// The six action kinds, in the order they run.
#pragma once
#include "script/sections.h"

struct ActionKind {
    const char* prefix;    // section name prefix, such as "ini."
    char keySeparator;     // 0: the key is not cut
    char valueSeparator;
    EntryVisitor visitor;
};

// Fonts, INI entries, text lines, registry, program groups, deletions.
extern const ActionKind ActionTable[6];
