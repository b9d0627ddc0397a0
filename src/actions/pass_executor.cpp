#include "actions/pass_executor.h"

#include <utility>

#include "actions/copy_step.h"
#include "actions/delete_step.h"
#include "actions/expand_copy.h"
#include "actions/file_steps.h"
#include "actions/font_step.h"
#include "actions/group_step.h"
#include "ui/progress_dialog.h"
#include "actions/registry_step.h"
#include "ui/messages.h"
#include "base/setup_state.h"

namespace {

// The kinds whose every entry drains the message queue and tests the cancel
// flag first, whether it applies or not: the user's Cancel takes effect at
// the next copy, deletion, INI or text line entry.
bool TestsCancel(ActionKind kind) {
    return kind == ActionKind::Copy || kind == ActionKind::Delete || kind == ActionKind::Ini ||
           kind == ActionKind::TextLine;
}

}  // namespace

StepResult PassExecutor::Passed(ActionKind kind, const EntrySource&) {
    return TestsCancel(kind) && CancelRequested() ? StepResult::Abort : StepResult::GoOn;
}

StepResult PassExecutor::Refused(const RefusedStep& step) {
    bool tested = std::exchange(cancelTested_, false);
    if (TestsCancel(step.kind) && !tested && CancelRequested()) return StepResult::Abort;
    if (step.messageId == MSG_CANNOT_CREATE_FONT)
        return AfterAnswer(ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateFont, kStyleOkCancel, step.named));
    if (step.named[0]) return ReportUnusablePath(step.messageId, step.named);
    return ReportStepEntry(step.source, step.messageId);
}

// The cancel flag is tested once for an entry, before its disk changes.
StepResult PassExecutor::ChangeDisk(const DiskStep& step) {
    if (CancelRequested()) return StepResult::Abort;
    cancelTested_ = true;
    return CarryOut(step);
}

StepResult PassExecutor::Copy(const CopyStep& step) { return CarryOut(step, std::exchange(cancelTested_, false)); }
StepResult PassExecutor::Font(const FontStep& step) { return CarryOut(step); }
StepResult PassExecutor::Ini(const FileStep& step) { return CarryOutIni(step); }
StepResult PassExecutor::TextLine(const FileStep& step) { return CarryOutTextLine(step); }
StepResult PassExecutor::Registry(const RegistryStep& step) { return CarryOut(step); }
StepResult PassExecutor::Group(const GroupStep& step) { return CarryOut(step); }
StepResult PassExecutor::Delete(const DeleteStep& step) { return CarryOut(step); }

StepResult PassExecutor::Done(const SectionDone& step) {
    // A component's last file is whole before the bar counts it.
    if (step.kind == ActionKind::Copy && LandCopyInFlight() == StepResult::Abort) return StepResult::Abort;
    SendProgress(step.percent);
    return StepResult::GoOn;
}

void PassExecutor::OutOfMemory() { ShowOutOfMemory(); }
