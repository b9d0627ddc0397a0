#include "actions/text_line_entry.h"

#include <windows.h>

#include "actions/entry_path.h"
#include "actions/text_lines.h"
#include "base/messages.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text_buffer.h"
#include "removal/removal_log.h"
#include "script/conditions.h"
#include "script/sections.h"

// One entry of a str. section: file|section|line key = new line[/condition].
// The line the edit replaces is looked for and recorded before anything is
// written; the edit is then written out beside the file and moved over it. A
// line the log cannot hold whole (a zero byte in it, or longer than a
// profile value) is reported instead of replaced without a record.
int TextLineEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    FileEntry entry;
    TextBuffer newLine;
    int opened = OpenFileEntry(keyFields, keyCount, valueFields, valueCount, entry, newLine);
    if (opened != kCarryOut) return opened;
    const char* path = entry.path;
    const char* line = newLine.Length() ? newLine.Text() : nullptr;

    bool recordDue = !gProcess.removeMode && !(valueCount >= 2 && MatchCondition("-", valueFields[1]));
    int outcome;
    do {
        // The file may be the log, which its writer holds sharing reading only.
        ReleaseRemovalLog();
        TextBuffer oldLine;
        bool found = !recordDue || PrepareTextEdit(entry.section, entry.key, line, &oldLine, path, nullptr);
        if (found && recordDue) {
            if (!CanRecordOldText(oldLine.Text(), oldLine.Length())) return ReportEntry(kMsgCannotKeepOldValue);
            if (LogRemoval(TextLine, entry.fileText, entry.section, entry.key, oldLine.Text()) == kAbort)
                return kAbort;
            recordDue = false;  // a retry keeps the first old line
            ReleaseRemovalLog();
        }
        PreparedEdit edit;
        if (found && PrepareTextEdit(entry.section, entry.key, line, &oldLine, path, &edit)) {
            // A read-only target is replaced like any other.
            if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            if (edit.Commit()) return 1;
        }
        outcome = ReportMessage(gState->pass.ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
    } while (outcome == 0);
    return outcome;
}
