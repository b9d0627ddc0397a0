// The components of the [choise] section.
#pragma once

#include "script/section_walk.h"

// Visitor of [choise]; the context is the component dialog, or null in a
// silent run (no list then, every entry taken is selected).
StepResult ChoiseEntry(SectionEntry& entry, void* context);

// Visitor of [choise] for a quiet run: the components the dialog would list
// are selected as it would preselect them; the others, as ever, selected.
StepResult PreselectedChoiseEntry(SectionEntry& entry, void* context);
