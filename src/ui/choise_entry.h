// The components of the [choise] section.
#pragma once

#include "base/run_switches.h"
#include "script/section_walk.h"

// Visitor of [choise]; the context is the component dialog, or null in a
// silent run (no list then, every entry taken is selected). Components given
// for the run (/components=) are the ones preselected in the list, and the
// ones a silent run selects.
StepResult ChoiseEntry(SectionEntry& entry, void* context);

// Visitor of [choise] for a quiet run: the components the dialog would list
// are selected as it would preselect them; the others, as ever, selected.
StepResult PreselectedChoiseEntry(SectionEntry& entry, void* context);

// After [choise] was read: false with the first name given for the run
// (/components=) that names no component read.
bool ComponentAnswersListed(char (&unknown)[kAnswerTextSize]);
