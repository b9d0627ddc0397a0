// The [reg] section: registry values read into script variables at start-up.
#pragma once

int RegVariableEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Empties the table and reads [reg] of the script into it; the result of the
// enumeration (kAbort only when it could not run).
int ReadRegVariables();
