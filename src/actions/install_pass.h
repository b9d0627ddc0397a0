// The install pass: the path variables and their records, the progress
// dialog, and the plan of the pass (plan/pass_plan.h) carried out step by
// step by the executor.
#pragma once
#include <windows.h>

#include "base/results.h"

// GoOn when the pass ran to its end, Abort when it was aborted. A what-if run
// (/plan=FILE) writes the plan into its file instead, changing nothing.
StepResult RunInstallPass(HWND startingWindow);
