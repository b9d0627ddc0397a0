#include "actions/file_steps.h"

#include <windows.h>

#include "actions/ini_write.h"
#include "ui/progress_dialog.h"
#include "actions/text_lines.h"
#include "base/file_system.h"
#include "ui/messages.h"
#include "base/profile_text.h"
#include "base/wide_text.h"
#include "base/setup_state.h"
#include "actions/records.h"
#include "actions/undo_journal.h"
#include "removal/removal_log.h"

StepResult ReportStepEntry(const EntrySource& source, int messageId) {
    return AfterAnswer(
        ReportMessage(OwnerWindow(), static_cast<EntryMessage>(messageId), kStyleOkCancel, source.section, source.key));
}

namespace {

// What both kinds do first: the cancel test, the status line, and the file's
// directory made (and recorded).
StepResult Open(const FileStep& step) {
    if (CancelRequested()) return StepResult::Abort;
    ShowStatus(ProgramText::FileLabels, step.path, step.section, step.key);
    if (RecordMissingFolder(step.path) == StepResult::Abort || EnsureDirectory(step.path) == StepResult::Abort)
        return StepResult::Abort;
    // With rollback the file as it was is kept aside before its first change.
    return JournalKeepFile(step.path) == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
}

// A read-only target is replaced like any other.
void MakeWritable(const char* path) {
    std::wstring wide = Wide(path);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Asks about a file that could not be written: Retry (true) writes again.
bool Retry(const char* path, StepResult* result) {
    Answer answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
    *result = AfterAnswer(answer);
    return answer == Answer::Retry;
}

}  // namespace

// Values are read and written whole, up to the longest text a profile file
// carries. Appending is not searched first: the same value appended twice
// stands there twice.
StepResult CarryOutIni(const FileStep& step) {
    StepResult opened = Open(step);
    if (opened != StepResult::GoOn) return opened;
    TextBuffer present;
    bool presentWhole = ReadIniValue(step.path, step.section, step.key, "", present);
    TextBuffer newValue;
    bool appending = step.separator && present.Length() > 0;
    bool built = appending ? presentWhole && newValue.Assign(present.Text()) && newValue.Append(step.separator) &&
                                 newValue.Append(step.value.Text())
                           : newValue.Assign(step.value.Text());
    if (!built || newValue.Length() > kProfileTextLimit) return ReportStepEntry(step.source, MSG_CANNOT_CARRY_OUT);
    // Refused before anything is recorded: an ANSI file gets no character it cannot spell.
    if (!IniCanSpell(step.path, step.section, step.key, newValue.Text()))
        return ReportStepEntry(step.source, MSG_CANNOT_ENCODE_VALUE);
    if (!step.unrecorded) {
        if (!presentWhole || !CanRecordOldText(present.Text(), present.Length()))
            return ReportStepEntry(step.source, MSG_CANNOT_KEEP_OLD_VALUE);
        if (Record(IniValue, step.fileText, step.section, step.key, present.Text()) == StepResult::Abort)
            return StepResult::Abort;
    }
    // The platform's writer opens the file sharing nothing: the log may be it.
    ReleaseRemovalLog();
    StepResult result;
    do {
        MakeWritable(step.path);
        IniWrite written = WriteIniValue(step.path, step.section, step.key, newValue.Text());
        if (written == IniWrite::kDone) return StepResult::GoOn;
        if (written == IniWrite::kCannotEncode) return ReportStepEntry(step.source, MSG_CANNOT_ENCODE_VALUE);
    } while (Retry(step.path, &result));
    return result;
}

// The line the edit replaces is looked for and recorded before anything is
// written; the edit is then written out beside the file and moved over it. A
// line the log cannot hold whole (a zero byte in it, or longer than a
// profile value) is reported instead of replaced without a record.
StepResult CarryOutTextLine(const FileStep& step) {
    StepResult opened = Open(step);
    if (opened != StepResult::GoOn) return opened;
    const char* line = step.value.Length() ? step.value.Text() : nullptr;
    bool recordDue = !step.unrecorded;
    StepResult result;
    do {
        // The file may be the log, which its writer holds sharing reading only.
        ReleaseRemovalLog();
        TextBuffer oldLine;
        int looked = recordDue ? PrepareTextEdit(step.section, step.key, line, &oldLine, step.path, nullptr)
                               : kTextEditDone;
        if (looked == kTextEditUnencodable) return ReportStepEntry(step.source, MSG_CANNOT_ENCODE_VALUE);
        bool found = looked == kTextEditDone;
        if (found && recordDue) {
            if (!CanRecordOldText(oldLine.Text(), oldLine.Length()))
                return ReportStepEntry(step.source, MSG_CANNOT_KEEP_OLD_VALUE);
            if (Record(TextLine, step.fileText, step.section, step.key, oldLine.Text()) == StepResult::Abort)
                return StepResult::Abort;
            recordDue = false;  // a retry keeps the first old line
            ReleaseRemovalLog();
        }
        PreparedEdit edit;
        int prepared =
            found ? PrepareTextEdit(step.section, step.key, line, &oldLine, step.path, &edit) : kTextEditFailed;
        if (prepared == kTextEditUnencodable) return ReportStepEntry(step.source, MSG_CANNOT_ENCODE_VALUE);
        if (prepared == kTextEditDone) {
            MakeWritable(step.path);
            if (edit.Commit()) return StepResult::GoOn;
        }
    } while (Retry(step.path, &result));
    return result;
}
