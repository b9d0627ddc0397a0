#include "base/run_outcome.h"

namespace {

EndReason noted = EndReason::None;
bool stopped = false;

}  // namespace

void NoteEndReason(EndReason reason) {
    if (noted == EndReason::None) noted = reason;
}

void ClearEndReason() { noted = stopped ? EndReason::Failed : EndReason::None; }

EndReason NotedEndReason() { return noted; }

int IncompleteExitCode(EndReason otherwise) {
    EndReason reason = noted != EndReason::None ? noted : otherwise;
    return reason == EndReason::Cancelled ? kExitCancelled : kExitFailed;
}

void StopRun() {
    stopped = true;
    NoteEndReason(EndReason::Failed);
}

bool RunStopped() { return stopped; }

void ResetRunOutcome() {
    stopped = false;
    noted = EndReason::None;
}
