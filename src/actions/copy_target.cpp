#include "actions/copy_target.h"

#include "base/setup_state.h"
#include "base/whole_files.h"
#include "ui/messages.h"

HANDLE CreateCopyTarget(const char* target, bool beside, bool fresh, char (&besidePath)[MAX_PATH]) {
    besidePath[0] = '\0';
    if (!beside)
        return CreateFileA(target, GENERIC_WRITE, 0, nullptr, fresh ? CREATE_NEW : CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // A file beside that is there already belongs to a copy in flight (or to
    // a run that was killed): a fresh copy waits for it.
    if (!BesidePath(target, besidePath) || (fresh && GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES)) {
        besidePath[0] = '\0';
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(besidePath, GENERIC_WRITE, 0, nullptr, fresh ? CREATE_NEW : CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

StepResult MoveCopyIntoPlace(const char* besidePath, const char* target) {
    // Not flushed first: what the system has taken survives the end of the
    // process, and a flush per file would wait for the disk each time.
    while (!MoveFileExA(besidePath, target, MOVEFILE_REPLACE_EXISTING)) {
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
        if (answer != Answer::Retry) {
            DeleteFileA(besidePath);
            return AfterAnswer(answer);
        }
    }
    return StepResult::GoOn;
}
