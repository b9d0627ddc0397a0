// Carrying out deletion entries.
#pragma once

#include "plan/plan_steps.h"

// Deletes the file (or, for a path ending in '\', the directory with what is
// empty in it). A failure is asked about with Abort/Retry/Ignore and the
// system's reason, unless the step is quiet.
StepResult CarryOut(const DeleteStep& step);
