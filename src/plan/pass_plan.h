// The plan of an install pass, handed over step by step as the pass visits
// the script: for each entry of [disks], the copy section of every component
// (the copies of that disk), then the six action kinds in their order, each
// for every component; a component left out has its sections visited under
// the names with "!". A step is planned only once the one before it was
// carried out, so a step sees the machine and the media directory as the
// steps before it left them (a disk change moves InstDir).
#pragma once

#include "base/profile_reader.h"
#include "plan/plan_steps.h"

// Walks the pass over the chosen components of `tables` (which gTables must
// point at) and hands every step to the sink. kAbort when the sink ended the
// pass or a section could not be read (the sink was told: OutOfMemory);
// otherwise kGoOn.
StepResult PlanInstallPass(ProfileReader& script, const ScriptTables& tables, bool removeMode, PlanSink& sink);

// The same walk over every entry a pass could meet, for the publisher's
// tools: each component's sections under both its names (chosen and left
// out), and each entry whatever its condition.
StepResult PlanEveryEntry(ProfileReader& script, const ScriptTables& tables, PlanSink& sink);

// Percentage of step `step` (counted from 1) of `stages` stages of `perStage`
// steps, as the progress bar shows it; never divides by zero.
int ProgressPercent(long long step, int stages, int perStage);
