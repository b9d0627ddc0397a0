// The [reg] section: registry values read into script variables at start-up.
#pragma once

#include "script/section_walk.h"

StepResult RegVariableEntry(SectionEntry& entry, void* context);

// Empties the table and reads [reg] of the script into it; the result of the
// enumeration (Abort when it could not run, or after Cancel). `visited`
// (when given) counts the entries read.
StepResult ReadRegVariables(int* visited = nullptr);
