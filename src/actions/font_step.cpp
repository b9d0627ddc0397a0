// Font resources: a .fot file beside (or for) a TrueType font that the copy
// stage has placed, so the font can be made known to the system.
#include "actions/font_step.h"

#include <windows.h>

#include "actions/overwrite_dialog.h"
#include "actions/progress_dialog.h"
#include "actions/step_results.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "removal/removal_log.h"

namespace {

constexpr char kFontResourceText[] = "Font Resource file";

// IDYES when the old resource file is out of the way (or there was none),
// otherwise the overwrite dialog's answer that passes the entry over.
int ClearOldResource(const char* resource) {
    BY_HANDLE_FILE_INFORMATION existing;
    if (!GetFileInfo(resource, &existing)) return IDYES;
    int decision = IDYES;
    if (!gState->pass.yesToAll) {
        OverwriteRequest request = {resource, "New Font Resource file", nullptr, &existing};
        decision = OverwriteDialog(&request);
    }
    if (decision == IDC_YES_TO_ALL) {
        gState->pass.yesToAll = 1;
        decision = IDYES;
    }
    if (decision == IDYES) {
        SetFileAttributesA(resource, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(resource);
    }
    return decision;
}

}  // namespace

StepResult AfterOkCancel(int answer) { return answer == IDCANCEL ? StepResult::Abort : StepResult::Skipped; }

StepResult CarryOut(const FontStep& step) {
    ShowStatus("Create:\n\nFile:", kFontResourceText, step.resource, "");
    // Recorded before the file exists, so a removal run finds it whatever happens next.
    if (!step.unrecorded && LogRemoval(RemoveFileAtPath, step.resource, kFontResourceText) == kAbort)
        return StepResult::Abort;
    // Cancel in the overwrite question passes over this one font.
    if (ClearOldResource(step.resource) != IDYES) return StepResult::Skipped;
    if (!CreateScalableFontResourceA(0, step.resource, step.font, step.currentPath))
        return AfterOkCancel(ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateFont, kStyleOkCancel, step.resource));
    return StepResult::GoOn;
}
