#include "actions/copy_target.h"

#include "base/setup_state.h"
#include "base/wide_text.h"
#include "base/whole_files.h"
#include "ui/messages.h"

HANDLE CreateCopyTarget(const char* target, bool beside, char (&besidePath)[MAX_PATH]) {
    besidePath[0] = '\0';
    if (beside && !BesidePath(target, besidePath)) {
        besidePath[0] = '\0';
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(Wide(besidePath[0] ? besidePath : target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

StepResult MoveCopyIntoPlace(const char* besidePath, const char* target) {
    // Not flushed first: what the system has taken survives the end of the
    // process, and the copies written in place are not flushed either.
    while (!MoveFileExW(Wide(besidePath).c_str(), Wide(target).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
        if (answer != Answer::Retry) {
            DeleteFileW(Wide(besidePath).c_str());
            return AfterAnswer(answer);
        }
    }
    return StepResult::GoOn;
}
