// Option groups: the [options] section, the choices of each group, the
// groups that preselect the choice matching this machine, and the dialog
// that turns the user's choices into optionCodes.
#pragma once
#include <windows.h>

#include "run/setup_state.h"

// Preselection byte of a group that has no choice to show.
constexpr unsigned char kNoPreselection = 255;

// Visitor of [options]: one group per entry (no context).
int OptionsEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
// Choice visitors; the context is the group's OptionGroup row.
int PlainChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int PlatformChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int CodePageChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int FontSizeChoiceEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Appends a choice to a group; its index, or -1 when the group is full.
int AddChoice(OptionGroup* group, const char* label, const char* code);
// The preselection byte of the group at row `group` (a byte of optionCodes
// while the section is read).
unsigned char& PreselectionOf(const OptionGroup* group);

// Builds optionCodes from the chosen index of each group (-1: none). A code
// that does not fit whole behind the earlier ones is left out.
void JoinOptionCodes(const int* chosen, int groupCount);

// The option group dialog (template 20): 1 OK, 2 Cancel or closed.
int ShowOptionDialog(HWND parent);
