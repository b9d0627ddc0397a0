// How a run ends, as its exit code tells the program that started it. The
// answers given along the way say why a run did not complete: the first
// "cancelled" or "failed" since the install pass began is the one that counts,
// so later answers (a Cancel on the component dialog after a failed pass, say)
// do not hide it.
#pragma once

enum class EndReason {
    None,
    Cancelled,  // the user cancelled or declined
    Failed,     // Abort after an error, or a failure nobody could pass over
};

constexpr int kExitCompleted = 0;
constexpr int kExitCancelled = 1602;
constexpr int kExitFailed = 1603;
constexpr int kExitLogUnavailable = 1622;  // the run's log (/log=FILE) cannot be opened
constexpr int kExitRestartNeeded = 3010;
// Kept for the one end that always had it: [reg] could not be read at all.
constexpr int kExitNoRegSection = -1;

// Notes a reason unless one is noted already.
void NoteEndReason(EndReason reason);
// Forgets the reason: a new install pass starts afresh, unless the run must stop.
void ClearEndReason();
EndReason NotedEndReason();
// The exit code of a run that did not complete: the noted reason, or
// `otherwise` when none was noted.
int IncompleteExitCode(EndReason otherwise);

// A failure after which the run changes nothing more (its log could not be
// written and the answer was Abort): notes Failed for good, and the install
// pass stops at its next entry, or before it starts.
void StopRun();
bool RunStopped();
// Forgets the reason and the stop: a new run.
void ResetRunOutcome();
