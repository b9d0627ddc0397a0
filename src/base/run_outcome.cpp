#include "base/run_outcome.h"

namespace {

EndReason noted = EndReason::None;

}  // namespace

void NoteEndReason(EndReason reason) {
    if (noted == EndReason::None) noted = reason;
}

void ClearEndReason() { noted = EndReason::None; }

EndReason NotedEndReason() { return noted; }

int IncompleteExitCode(EndReason otherwise) {
    EndReason reason = noted != EndReason::None ? noted : otherwise;
    return reason == EndReason::Cancelled ? kExitCancelled : kExitFailed;
}
