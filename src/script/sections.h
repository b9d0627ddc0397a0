// Reading script sections: every section is enumerated by ForEachEntry, which
// cuts each entry's key and value into fields and hands them to a visitor.
#pragma once
#include <cstddef>

#include "base/messages.h"
#include "script/fields.h"
#include "script/section_walk.h"

// Visits every entry of a section of the script file, read through the
// platform's profile functions. Returns the number of entries visited, or -1
// when the visitor asked to stop or the key buffer could not be allocated
// ("Out of memory!" is shown then). A separator of 0 leaves that text whole.
// Values reach the visitor whole; an entry whose key or value is longer than
// the profile functions carry is not visited but reported (ReportEntry), and
// its OK passes it over.
int ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                 EntryVisitor visitor, void* context);

// Reports the entry now being visited, named by its section and its key as
// written, with the OK/Cancel message id. kAbort after Cancel (the visitor
// returns it and the pass ends), kSkipped after OK.
int ReportEntry(EntryMessage id);
