#include <windows.h>

#include "actions/actions.h"
#include "actions/entry_path.h"
#include "actions/file_copy.h"
#include "actions/install_pass.h"
#include "actions/text_lines.h"
#include "removal/removal_log.h"
#include "run/messages.h"
#include "run/setup_state.h"
#include "script/conditions.h"
#include "script/text.h"
#include "script/variables.h"

namespace {

constexpr int kNameSize = 64;

}  // namespace

// One entry of a str. section: file|section|line key = new line[/condition].
// Texts that do not fit their buffers refuse the entry (1, file untouched),
// as for INI entries: a cut key or line would find or write the wrong line.
int TextLineEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (CancelRequested()) return -1;
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return 0;
    if (keyCount < 3) return 1;

    char fileText[kEntryFileTextSize];
    char path[MAX_PATH];
    if (!CopyText(fileText, keyFields[0]) || !BuildEntryPath(keyFields[0], path)) return 1;
    char newLine[kLineSize];
    char section[kNameSize];
    char lineKey[kNameSize];
    if (!ExpandText(valueFields[0], newLine, true) || !ExpandText(keyFields[1], section, true) ||
        !ExpandText(keyFields[2], lineKey, true))
        return 1;

    ShowStatus("Modify file:\n\nSection:\n\nString:", path, section, lineKey);
    if (EnsureDirectory(path) == -1) return -1;

    bool unrecorded = valueCount >= 2 && MatchCondition("-", valueFields[1]);
    int outcome;
    do {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        char oldLine[kLineSize] = "";
        if (EditTextFile(section, lineKey, newLine[0] ? newLine : nullptr, oldLine, sizeof oldLine, path)) {
            outcome = 1;
            if (!gProcess.removeMode && !unrecorded) LogRemoval(TextLine, fileText, section, lineKey, oldLine);
        } else {
            outcome = ReportMessage(gState->ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
        }
    } while (outcome == 0);
    return outcome;
}
