// What every step of a run returns: each visitor, action and copy, and so
// what the enumeration of a section passes up. The answers of an
// Abort/Retry/Ignore message map onto the same numbers.
#pragma once

constexpr int kAbort = -1;   // stop the install pass (or the run)
constexpr int kGoOn = 0;     // done, or nothing to do: go on with the next entry
constexpr int kSkipped = 1;  // passed over, or its failure ignored: go on

// The same, typed: what every step of a pass and every entry returns.
enum class StepResult {
    GoOn,     // done, or nothing to do: go on with the next entry
    Skipped,  // passed over, or its failure ignored: go on
    Abort,    // stop the install pass (or the run)
};
