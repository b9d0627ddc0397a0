#include "actions/records.h"

#include "actions/undo_journal.h"
#include "base/file_system.h"
#include "base/setup_state.h"

bool RetryRecord(Recorded failure, StepResult* result) {
    TextMessage id = failure == Recorded::FolderFailed ? kMsgCannotCreateDirectory : kMsgCannotWriteLog;
    Answer answer = ReportMessage(OwnerWindow(), id, kStyleAbortRetryIgnore, RecordFailurePath());
    *result = AfterAnswer(answer);
    return answer == Answer::Retry;
}

StepResult RecordMissingFolder(const char* filePath) {
    StepResult result;
    for (;;) {
        Recorded recorded = LogMissingDirectory(filePath);
        if (recorded == Recorded::Yes) return StepResult::GoOn;
        if (!RetryRecord(recorded, &result)) return result;
    }
}

StepResult EnsureDirectory(const char* filePath) {
    if (JournalMissingFolders(filePath) == StepResult::Abort) return StepResult::Abort;
    for (;;) {
        char failed[MAX_PATH];
        Directories made = MakeDirectories(filePath, failed);
        if (made == Directories::Ready) return StepResult::GoOn;
        if (made == Directories::Unresolvable) return StepResult::Skipped;
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotCreateDirectory, kStyleAbortRetryIgnore, failed);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
}
