// Reading the script's sections in the installer: every section is walked by
// ForEachEntry over the platform's profile functions, and what the walk
// cannot hand over is put to the user.
#pragma once

#include "script/section_walk.h"
#include "ui/messages.h"

// Visits every entry of a section of the script file. Abort when the visitor
// asked to stop, or the key list could not be read ("Out of memory!" is shown
// then). An entry whose key or value is longer than the profile functions
// carry is not visited but reported (ReportEntry): OK passes it over.
// `visited` (when given) counts the entries.
StepResult ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                        EntryVisitor visitor, void* context, int* visited = nullptr);

// Reports an entry, named by its section and its key as written, with the
// OK/Cancel message id: Abort after Cancel (the visitor returns it and the
// pass ends), Skipped after OK.
StepResult ReportEntry(const SectionEntry& entry, EntryMessage id);
StepResult ReportEntry(const char* section, const char* key, EntryMessage id);
