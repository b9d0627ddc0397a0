// The option groups that preselect the choice matching this machine: its
// platform and version, its ANSI code page, and its screen font size. Each is
// the visitor of the group's section; the context is the group's row.
#pragma once

#include "script/section_walk.h"

StepResult PlatformChoiceEntry(SectionEntry& entry, void* context);
StepResult CodePageChoiceEntry(SectionEntry& entry, void* context);
StepResult FontSizeChoiceEntry(SectionEntry& entry, void* context);
