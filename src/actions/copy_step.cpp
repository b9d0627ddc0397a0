// Copies: the files of a component's own section, disk by disk.
#include "actions/copy_step.h"

#include <windows.h>

#include <cstring>

#include "ui/disk_prompt_dialog.h"
#include "actions/expand_copy.h"
#include "ui/progress_dialog.h"
#include "base/file_system.h"
#include "ui/messages.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/whole_files.h"
#include "actions/records.h"
#include "actions/undo_journal.h"
#include "actions/split_join.h"
#include "removal/removal_log.h"

StepResult ReportUnusablePath(int messageId, const char* path) {
    // The file before is settled first: its question comes before this one.
    if (LandCopyInFlight() == StepResult::Abort) return StepResult::Abort;
    // Retry cannot mend a script text: asked again until the user gives up on
    // the entry or on the pass.
    Answer answer;
    do answer = ReportMessage(gState->pass.ownerWindow, static_cast<TextMessage>(messageId), kStyleAbortRetryIgnore, path);
    while (answer == Answer::Retry);
    return AfterAnswer(answer);
}

bool SiblingDiskDirectory(const char* media, const char* inDrive, const char* disk, char (&sibling)[kPathBytes]) {
    char marker[kDiskKeySize + 8] = "disk";
    AppendText(marker, inDrive);
    AppendText(marker, "\\");
    if (!EndsWithNoCase(media, marker)) return false;
    CopyTextN(sibling, sizeof sibling, media, std::strlen(media) - std::strlen(inDrive) - 1);
    return AppendText(sibling, disk) && AppendText(sibling, "\\");
}

StepResult CarryOut(const DiskStep& step) {
    if (LandCopyInFlight() == StepResult::Abort) return StepResult::Abort;
    char sibling[kPathBytes];
    if (SiblingDiskDirectory(gProcess.mediaDirectory, step.inDrive, step.disk, sibling)) {
        CopyText(gProcess.mediaDirectory, sibling);
        return StepResult::GoOn;
    }
    // A quiet run reads from the directory the prompt would show.
    if (!QuietRun() && DiskPromptDialog(step.label) == Answer::Cancel) {
        LogLine("Insert Disk %s: Cancel", {TextArgument(step.label)});
        NoteEndReason(EndReason::Cancelled);
        return StepResult::Abort;
    }
    LogLine("Insert Disk %s: %s", {TextArgument(step.label), TextArgument(gProcess.mediaDirectory)});
    return StepResult::GoOn;
}

namespace {

// The records and the saved copy of a target that a copy with the flag "!"
// may replace. A target that is there is recorded to be put back and its
// saved copy to be deleted, both before the copy is made; the copy keeps
// every byte, and is made once, so it holds the file found before the first
// install. A target that is not there is recorded to be deleted. GoOn, or
// the entry's result: a copy that cannot be saved is put to the user, and
// Ignore passes the entry over rather than replace the file unsaved.
StepResult SaveReplacedFile(const CopyStep& step) {
    if (!GetFileInfo(step.target, nullptr))
        return Record(RemoveFile, step.recorded, step.description) == StepResult::Abort ? StepResult::Abort
                                                                                        : StepResult::GoOn;
    char savedText[kPathBytes] = "BackUpDir\\";
    if (!step.backupUsable || !AppendText(savedText, step.targetName))
        return ReportUnusablePath(MSG_CANNOT_CREATE_FILE, step.backup);
    if (Record(RestoreCopy, step.recorded, step.description) == StepResult::Abort ||
        Record(RemoveFile, savedText, step.description) == StepResult::Abort)
        return StepResult::Abort;
    if (GetFileInfo(step.backup, nullptr)) return StepResult::GoOn;
    if (RecordMissingFolder(step.backup) == StepResult::Abort || EnsureDirectory(step.backup) == StepResult::Abort ||
        JournalNewFile(step.backup) == StepResult::Abort)
        return StepResult::Abort;
    while (!SaveWholeCopy(step.target, step.backup)) {
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, step.backup);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
    return StepResult::GoOn;
}

}  // namespace

StepResult CarryOut(const CopyStep& step, bool cancelTested) {
    if (!cancelTested && CancelRequested()) return StepResult::Abort;
    // A copy that looks at an existing target finds it whole.
    if ((step.saveExisting || step.keepExisting) && LandCopyInFlight() == StepResult::Abort) return StepResult::Abort;
    char source[kPathBytes];
    if (!CopyText(source, gProcess.mediaDirectory) || !AppendText(source, step.mediaName))
        return ReportUnusablePath(MSG_CANNOT_OPEN, source);

    if (step.saveExisting) {
        StepResult saved = SaveReplacedFile(step);
        if (saved != StepResult::GoOn) return saved;
    } else {
        if (step.keepExisting && GetFileInfo(step.target, nullptr)) return StepResult::GoOn;
        if (!step.unrecorded && Record(RemoveFile, step.recorded, step.description) == StepResult::Abort)
            return StepResult::Abort;
    }
    // A removal puts saved files back as they were saved, never expanded; a
    // file that was never saved (an install killed before it was) is
    // passed over.
    if (gProcess.removeMode && !GetFileInfo(source, nullptr)) {
        LogLine("Not saved, passed over: %s", {TextArgument(source)});
        return StepResult::GoOn;
    }
    ShowStatus(ProgramText::CopyLabels, step.description, source, step.target);
    if (RecordMissingFolder(step.target) == StepResult::Abort) return StepResult::Abort;
    // A file split over disks is joined first, and copied from there whole.
    if (step.disks.count > 1) {
        JoinedFile joined;
        if (LandCopyInFlight() == StepResult::Abort) return StepResult::Abort;
        StepResult result = JoinPieces(step, joined);
        return result == StepResult::GoOn ? ExpandCopy(joined.path(), step.target) : result;
    }
    return ExpandCopyInFlight(step.description, source, step.target,
                              gProcess.removeMode ? CopyForm::AsStored : CopyForm::Expanded);
}
