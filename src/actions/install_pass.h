// The install pass: path variables, the progress dialog, the disks stage with
// the copy sections and the action stage with the six action kinds.
#pragma once
#include <windows.h>

#include "base/setup_state.h"

// kGoOn when the pass ran to its end, kAbort when it was aborted.
int RunInstallPass(HWND startingWindow);
int VisitDisk(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int RunActionStage();

// Percentage of step `step` (counted from 1) of `stages` stages of `perStage`
// steps; never divides by zero.
int ProgressPercent(long long step, int stages, int perStage);

// Room for the longest action section name: a 7-character prefix, "!" and a
// 63-character component section.
constexpr int kSectionNameSize = 72;
// Section of a component for an action prefix ("" for the copy section), with
// "!" before the component's section when it is not selected.
void ComponentSectionName(char (&out)[kSectionNameSize], const char* prefix, const ComponentEntry& component);
