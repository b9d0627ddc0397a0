#include "actions/text_line_entry.h"

#include <windows.h>

#include "actions/entry_path.h"
#include "actions/text_lines.h"
#include "base/messages.h"
#include "base/setup_state.h"
#include "removal/removal_log.h"
#include "script/conditions.h"

// One entry of a str. section: file|section|line key = new line[/condition].
// Texts that do not fit their buffers refuse the entry (1, file untouched),
// as for INI entries: a cut key or line would find or write the wrong line.
int TextLineEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    FileEntry entry;
    char newLine[kLineSize];
    int opened = OpenFileEntry(keyFields, keyCount, valueFields, valueCount, entry, newLine, sizeof newLine);
    if (opened != kCarryOut) return opened;
    const char* path = entry.path;

    bool unrecorded = valueCount >= 2 && MatchCondition("-", valueFields[1]);
    int outcome;
    do {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        char oldLine[kLineSize] = "";
        if (EditTextFile(entry.section, entry.key, newLine[0] ? newLine : nullptr, oldLine, sizeof oldLine, path)) {
            outcome = 1;
            if (!gProcess.removeMode && !unrecorded)
                LogRemoval(TextLine, entry.fileText, entry.section, entry.key, oldLine);
        } else {
            outcome = ReportMessage(gState->pass.ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
        }
    } while (outcome == 0);
    return outcome;
}
