// Option groups: the [options] section, the choices of each group, and the
// dialog that turns the user's choices into optionCodes.
#pragma once
#include <windows.h>

#include "base/setup_state.h"

// Visitor of [options]: one group per entry (no context).
int OptionsEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
// Visitor of a plain group's section; the context is the group's row.
int PlainChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Appends a choice to a group; its index. A full group reports the entry
// being read: -1 after OK (the choice is left out), kStopReading after Cancel.
constexpr int kStopReading = -2;
int AddChoice(OptionGroup* group, const char* label, const char* code);

// Builds optionCodes from the chosen index of each group (-1: none). A code
// that does not fit whole behind the earlier ones is left out.
void JoinOptionCodes(const int* chosen, int groupCount);

// Takes the choices the dialog would show selected at first (a quiet run).
void AcceptPreselections();

// The option group dialog (template 20): IDOK, or IDCANCEL when cancelled or closed.
int ShowOptionDialog(HWND parent);
