// The components of the [choise] section and the component dialog.
#pragma once
#include <windows.h>

// Visitor of [choise]; the context is the component dialog, or null in a
// silent run (no list then, every entry taken is selected).
int ChoiseEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// The component dialog (template 30); 1 when the pass ran and the user chose
// to restart, else 0.
int ShowComponentDialog(HWND parent);
