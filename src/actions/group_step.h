// Carrying out program group entries.
#pragma once

#include "plan/plan_steps.h"

// Removes the item and adds it again with its arguments (an item without
// arguments is only removed), or deletes the whole group.
StepResult CarryOut(const GroupStep& step);
