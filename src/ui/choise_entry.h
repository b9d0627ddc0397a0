// The components of the [choise] section.
#pragma once

// Visitor of [choise]; the context is the component dialog, or null in a
// silent run (no list then, every entry taken is selected).
int ChoiseEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Visitor of [choise] for a quiet run: the components the dialog would list
// are selected as it would preselect them; the others, as ever, selected.
int PreselectedChoiseEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
