// What every step of a run returns: each entry of a section, each action and
// copy, and so what the walk over a section passes up.
#pragma once

enum class StepResult {
    GoOn,     // done, or nothing to do: go on with the next entry
    Skipped,  // passed over, or its failure ignored: go on
    Abort,    // stop the install pass (or the run)
};
