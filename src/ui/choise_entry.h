// The components of the [choise] section.
#pragma once

// Visitor of [choise]; the context is the component dialog, or null in a
// silent run (no list then, every entry taken is selected).
int ChoiseEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
