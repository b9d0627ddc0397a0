// Carrying out registry entries: values set, extended or deleted with their
// old values recorded, the keys an install makes recorded, and the removal of
// the empty keys an install made.
#pragma once

#include "plan/plan_steps.h"

StepResult CarryOut(const RegistryStep& step);
