// Carrying out font resource entries.
#pragma once

#include "plan/plan_steps.h"

// Creates the font resource file, recording it first (unless the step is
// unrecorded); an existing one brings the overwrite question.
StepResult CarryOut(const FontStep& step);
