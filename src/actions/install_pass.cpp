#include "actions/install_pass.h"

#include "actions/dde_client.h"
#include "actions/expand_copy.h"
#include "actions/pass_executor.h"
#include "actions/undo_journal.h"
#include "ui/library_dialog.h"
#include "ui/progress_dialog.h"
#include "actions/what_if.h"
#include "ui/messages.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/section_profile_reader.h"
#include "base/setup_state.h"
#include "ui/status_lines.h"
#include "plan/pass_plan.h"
#include "actions/records.h"
#include "removal/removal_log.h"
#include "ui/path_variables.h"

namespace {

// The plan written down instead of carried out; a file that cannot be
// written fails the pass.
StepResult WriteWhatIf(ProfileReader& script) {
    TextBuffer lines;
    WhatIfWriter writer(lines);
    PlanInstallPass(script, *gState, gProcess.removeMode != 0, writer);
    if (!writer.whole() || !WriteWhatIfFile(gSwitches.planPath, lines)) {
        ReportMessage(nullptr, kMsgCannotCreateFile, kStyleStop, gSwitches.planPath);
        return StepResult::Abort;
    }
    LogLine("What the install would do: written to %s", {TextArgument(gSwitches.planPath)});
    return StepResult::GoOn;
}

StepResult RunPass(HWND startingWindow) {
    // A run that must stop makes no change, not even the log's first records.
    if (RunStopped()) return StepResult::Abort;
    PassState& pass = gState->pass;
    pass = PassState{};
    // A quiet run shows no window: its messages have no owner.
    pass.ownerWindow = QuietRun() ? nullptr : startingWindow;
    pass.mainWindow = startingWindow;
    if (ReadPathVariables() == StepResult::Abort || RunStopped()) return StepResult::Abort;
    for (int i = gState->regVariableCount; i < gState->variableCount && i < kMaxVariables; ++i)
        LogLine("Path %s = %s", {TextArgument(gState->variables[i].name), TextArgument(gState->variables[i].value)});

    SectionProfileReader script(gProcess.scriptPath);
    if (WhatIfRun()) return WriteWhatIf(script);

    // What an unfinished pass of this log left is undone first; with
    // rollback on, this pass keeps the way back from here on.
    if (!gProcess.removeMode && BeginPassUndo() == StepResult::Abort) return StepResult::Abort;

    // The first records of the pass: a log that cannot be written shows here,
    // before anything has been changed.
    StepResult result = StepResult::GoOn;
    if (!gProcess.removeMode)
        for (int i = 0; i < gState->variableCount && i < kMaxVariables && result != StepResult::Abort; ++i)
            result = Record(PathVariable, gState->variables[i].name, gState->variables[i].value);

    pass.yesToAll = script.ReadInt("SetUp", "Y2AOverwrite", 0) != 0;
    HWND progress = QuietRun() || result == StepResult::Abort
                        ? nullptr
                        : CreateLibraryDialog(IDD_PROGRESS, startingWindow, ProgressDialog, 0);
    pass.ownerWindow = progress;

    if (result != StepResult::Abort) {
        PassExecutor executor;
        result = PlanInstallPass(script, *gState, gProcess.removeMode != 0, executor);
    }
    // Every copy still moving is settled (after an abort: undone).
    if (LandCopyInFlight() == StepResult::Abort) result = StepResult::Abort;
    // A pass that did not run to its end is undone, on the progress
    // dialog's status lines.
    if (result == StepResult::Abort) {
        RollBackUndoJournal();
    } else {
        CommitUndoJournal();
    }

    // The last entry's status stays on the screen until the window goes.
    PaintPendingStatus();
    if (progress) DestroyWindow(progress);
    // The conversation belongs to the pass, like every other value of it: a
    // later pass opens its own.
    CloseDdeConversation(pass.ddeConversation);
    pass.ddeConversation = nullptr;
    return result;
}

}  // namespace

StepResult RunInstallPass(HWND startingWindow) {
    // A new try: what ended an earlier pass no longer says how this one ends.
    ClearEndReason();
    LogLine("Install pass started");
    StepResult result = RunPass(startingWindow);
    // Whatever comes after the pass finds the log's file free.
    ReleaseRemovalLog();
    LogLine("Install pass %s", {TextArgument(result == StepResult::Abort ? "aborted" : "completed")});
    return result;
}
