#include "base/run_outcome.h"

namespace {

// Why the run is ending, as far as it is known.
struct RunOutcome {
    EndReason noted = EndReason::None;
    bool stopped = false;
};
RunOutcome gOutcome;

}  // namespace

void NoteEndReason(EndReason reason) {
    if (gOutcome.noted == EndReason::None) gOutcome.noted = reason;
}

void ClearEndReason() { gOutcome.noted = gOutcome.stopped ? EndReason::Failed : EndReason::None; }

EndReason NotedEndReason() { return gOutcome.noted; }

int IncompleteExitCode(EndReason otherwise) {
    EndReason reason = gOutcome.noted != EndReason::None ? gOutcome.noted : otherwise;
    return reason == EndReason::Cancelled ? kExitCancelled : kExitFailed;
}

void StopRun() {
    gOutcome.stopped = true;
    NoteEndReason(EndReason::Failed);
}

bool RunStopped() { return gOutcome.stopped; }

void ResetRunOutcome() {
    gOutcome.stopped = false;
    gOutcome.noted = EndReason::None;
}
