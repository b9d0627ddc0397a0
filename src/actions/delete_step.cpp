// Deletions: the last action kind of a pass, and the way a removal run takes
// installed files away again.
#include "actions/delete_step.h"

#include <windows.h>

#include "actions/undo_journal.h"
#include "ui/progress_dialog.h"
#include "base/file_system.h"
#include "ui/messages.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/whole_files.h"
#include "base/wide_text.h"

StepResult CarryOut(const DeleteStep& step) {
    if (CancelRequested()) return StepResult::Abort;
    // A path that holds a device name (NUL.txt) names the device: it is
    // never touched, and reported as a name the platform cannot take. A cut
    // path could name another file: never deleted either.
    DWORD refusal = !step.usable ? ERROR_FILENAME_EXCED_RANGE : step.deviceName ? ERROR_INVALID_NAME : 0;
    ShowStatus(ProgramText::DeleteLabels, step.description, step.path, "");
    // A directory goes only when nothing is left in it: one that holds a
    // file is not a failure but someone's, and stays without a word to the user.
    if (!refusal && step.directory) {
        if (!RemoveEmptyDirectories(step.path)) LogLine("Kept, not empty: %s", {TextArgument(step.path)});
        return StepResult::GoOn;
    }
    if (!refusal) {
        // What a killed run left beside the file, half written, goes with it.
        char beside[MAX_PATH];
        if (BesidePath(step.path, beside)) DeleteFileW(Wide(beside).c_str());
        const std::wstring path = Wide(step.path);
        // A removal passes over a recorded file that is not there: an install
        // killed before it made the file recorded it all the same.
        if (gProcess.removeMode && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
            (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)) {
            LogLine("Not there, passed over: %s", {TextArgument(step.path)});
            return StepResult::GoOn;
        }
        // With rollback the file goes aside, to come back if the pass does
        // not run to its end.
        StepResult aside = JournalSetAside(step.path);
        if (aside != StepResult::Skipped) return aside;
        // Read-only, hidden and system files are deletable once made normal.
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    for (;;) {
        if (!refusal && DeleteFileW(Wide(step.path).c_str())) return StepResult::GoOn;
        if (refusal) SetLastError(refusal);
        if (step.quiet) return StepResult::GoOn;
        Answer answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotDelete,
                                      kStyleAbortRetryIgnore | kAppendSystemText, step.path);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
}
