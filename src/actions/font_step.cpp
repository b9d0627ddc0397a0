// Font resources: a .fot file beside (or for) a TrueType font that the copy
// stage has placed, so the font can be made known to the system.
#include "actions/font_step.h"

#include <windows.h>

#include "ui/overwrite_dialog.h"
#include "ui/progress_dialog.h"
#include "base/file_system.h"
#include "ui/messages.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/wide_text.h"
#include "actions/records.h"
#include "actions/undo_journal.h"
#include "removal/removal_log.h"

namespace {

constexpr char kFontResourceText[] = "Font Resource file";

// Whether the old resource file is out of the way (or there was none); the
// overwrite question's Skip and Cancel pass the one font over.
bool ClearOldResource(const char* resource) {
    BY_HANDLE_FILE_INFORMATION existing;
    if (!GetFileInfo(resource, &existing)) return true;
    Replace decision = Replace::Yes;
    if (!gState->pass.yesToAll) {
        OverwriteRequest request = {resource, "New Font Resource file", nullptr, &existing};
        decision = OverwriteDialog(&request);
    }
    if (decision == Replace::YesToAll) gState->pass.yesToAll = 1;
    if (decision != Replace::Yes && decision != Replace::YesToAll) return false;
    // With rollback the old file goes aside, to come back if the pass does
    // not run to its end.
    StepResult aside = JournalSetAside(resource);
    if (aside == StepResult::Abort) return false;
    if (aside == StepResult::GoOn) return true;
    const std::wstring path = Wide(resource);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    return true;
}

}  // namespace

StepResult CarryOut(const FontStep& step) {
    ShowStatus(ProgramText::FontLabels, kFontResourceText, step.resource, "");
    // Recorded before the file exists, so a removal run finds it whatever happens next.
    if (!step.unrecorded && Record(RemoveFileAtPath, step.resource, kFontResourceText) == StepResult::Abort)
        return StepResult::Abort;
    // Cancel in the overwrite question passes over this one font.
    if (!ClearOldResource(step.resource)) return StepResult::Skipped;
    if (JournalNewFile(step.resource) == StepResult::Abort) return StepResult::Abort;
    if (!CreateScalableFontResourceW(0, Wide(step.resource).c_str(), Wide(step.font).c_str(),
                                     Wide(step.currentPath).c_str()))
        return AfterAnswer(
            ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateFont, kStyleOkCancel, step.resource));
    return StepResult::GoOn;
}
