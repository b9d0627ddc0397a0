// Option groups: the [options] section, the choices of each group, and the
// dialog that turns the user's choices into optionCodes.
#pragma once
#include <windows.h>

#include "base/setup_state.h"
#include "script/section_walk.h"
#include "ui/messages.h"

// Visitor of [options]: one group per entry (no context).
StepResult OptionsEntry(SectionEntry& entry, void* context);
// Visitor of a plain group's section; the context is the group's row.
StepResult PlainChoiceEntry(SectionEntry& entry, void* context);

// Appends the entry's choice (key field 1 the label, value field 1 the code)
// to a group: GoOn with *index its index. A full group reports the entry:
// Skipped after OK (the choice is left out, *index -1), Abort after Cancel.
StepResult AddChoice(OptionGroup* group, const SectionEntry& entry, int* index);

// Builds optionCodes from the chosen index of each group (-1: none). A code
// that does not fit whole behind the earlier ones is left out.
void JoinOptionCodes(const int* chosen, int groupCount);

// Takes the choices the dialog would show selected at first (a quiet run).
void AcceptPreselections();

// Makes the codes given for the run (/options=) the groups' preselections:
// one choice per group at most, whose codes joined in group order are
// exactly `codes`. False, and nothing changed, when no choices give them.
bool PreselectAnsweredCodes(const char* codes);

// The option group dialog (template 20): Ok, or Cancel when cancelled or closed.
Answer ShowOptionDialog(HWND parent);
