// The answers the user gives to a failed step, as the step's result.
#pragma once

#include "base/results.h"

// An Abort/Retry/Ignore answer (as ReportMessage maps it) that is not Retry:
// Abort ends the pass, Ignore passes the step over.
inline StepResult AfterAnswer(int answer) { return answer == kAbort ? StepResult::Abort : StepResult::Skipped; }
// An OK/Cancel answer: Cancel ends the pass, OK passes the step over.
StepResult AfterOkCancel(int answer);
// The engine's older integer results, where they still meet the steps.
inline StepResult FromResult(int result) {
    return result == kAbort ? StepResult::Abort : result == kGoOn ? StepResult::GoOn : StepResult::Skipped;
}
inline int ToResult(StepResult result) {
    return result == StepResult::Abort ? kAbort : result == StepResult::GoOn ? kGoOn : kSkipped;
}
