#include "actions/entry_path.h"

#include "actions/progress_dialog.h"
#include "base/device_names.h"
#include "base/file_system.h"
#include "base/profile_text.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "removal/removal_log.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"

bool BuildEntryPath(char* keyField, char (&path)[MAX_PATH]) {
    // Room for one piece more than allowed, so that a fourth piece shows.
    char* pieces[5];
    int count = 0;
    SplitFields(keyField, pieces, &count, '\\', 5);
    path[0] = '\0';
    if (count > 3) return false;

    bool whole = true;
    if (count == 1) {
        UINT n = GetWindowsDirectoryA(path, sizeof path);
        whole = n > 0 && n < sizeof path;
    } else {
        whole = ExpandText(pieces[0], path, false);
    }
    size_t length = lstrlenA(path);
    AddBackslash(path);
    whole = whole && (length == 0 || path[length - 1] == '\\' || path[length] == '\\');
    whole = whole && AppendText(path, pieces[count - 1]);
    if (!whole) path[0] = '\0';
    return whole;
}

int OpenFileEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, FileEntry& entry,
                  TextBuffer& value) {
    if (CancelRequested()) return kAbort;
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return kGoOn;
    if (keyCount < 3) return ReportEntry(kMsgCannotCarryOut);
    // A device name in the path (NUL.ini) names the device, not a file.
    if (!CopyText(entry.fileText, keyFields[0]) || !BuildEntryPath(keyFields[0], entry.path) ||
        FindDeviceName(entry.path))
        return ReportEntry(kMsgCannotCarryOut);
    if (!ExpandText(valueFields[0], value, kProfileTextLimit, true) || !ExpandText(keyFields[1], entry.section, true) ||
        !ExpandText(keyFields[2], entry.key, true))
        return ReportEntry(kMsgCannotCarryOut);
    // A variable filled from the registry may hold line breaks, which would
    // add lines nobody named to a line-based file.
    if (HasLineBreak(value.Text()) || HasLineBreak(entry.section) || HasLineBreak(entry.key))
        return ReportEntry(kMsgCannotCarryOut);
    ShowStatus("Modify file:\n\nSection:\n\nString:", entry.path, entry.section, entry.key);
    if (LogMissingDirectory(entry.path) == kAbort || EnsureDirectory(entry.path) == kAbort) return kAbort;
    return kCarryOut;
}
