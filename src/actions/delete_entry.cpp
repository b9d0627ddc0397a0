// Deletion entries: the last action kind of a pass, and the way a removal run
// takes installed files away again.
#include "actions/delete_entry.h"

#include <windows.h>

#include "actions/progress_dialog.h"
#include "base/device_names.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/whole_files.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"

namespace {

// A key holds at most a directory, a subdirectory and the file name; further
// backslashes stay in the file name part.
constexpr int kPathPartRoom = 4;

// Builds the path of a deletion key. A key of one part names a file in the
// Windows directory. False when the path does not fit: a cut path could name
// another file, so it is never deleted.
bool DeletePath(char* key, char (&path)[MAX_PATH]) {
    char* parts[kPathPartRoom];
    int count = 0;
    SplitFields(key, parts, &count, '\\', kPathPartRoom);
    bool fits = true;
    path[0] = '\0';
    if (count == 1) {
        GetWindowsDirectoryA(path, sizeof path);
        AddBackslash(path);
    }
    for (int i = 0; i + 1 < count; ++i) {
        char part[MAX_PATH];
        fits = ExpandText(parts[i], part, true) && fits;
        fits = AppendText(path, part) && fits;
        AddBackslash(path);
    }
    size_t n = lstrlenA(path);
    fits = fits && n && path[n - 1] == '\\';
    char name[MAX_PATH];
    fits = ExpandText(parts[count - 1], name, true) && fits;
    return AppendText(path, name) && fits;
}

}  // namespace

int DeleteEntry(char** keyFields, int, char** valueFields, int valueCount, void*) {
    if (CancelRequested()) return kAbort;
    const char* condition = valueCount >= 2 ? valueFields[1] : nullptr;
    if (condition && !MatchCondition(gState->optionCodes, condition)) return 0;

    char path[MAX_PATH];
    bool fits = DeletePath(keyFields[0], path);
    // A path that holds a device name (NUL.txt) names the device: it is
    // never touched, and reported as a name the platform cannot take.
    DWORD refusal = !fits ? ERROR_FILENAME_EXCED_RANGE : FindDeviceName(path) ? ERROR_INVALID_NAME : 0;
    ShowStatus("Delete:\n\nFrom:", valueFields[0], path, "");
    // A directory goes only when nothing is left in it: one that holds a
    // file is not a failure but someone's, and stays without a word to the user.
    size_t length = lstrlenA(path);
    if (!refusal && length && path[length - 1] == '\\') {
        if (!RemoveEmptyDirectories(path)) LogLine("Kept, not empty: %s", {TextArgument(path)});
        return 0;
    }
    bool quiet = condition && MatchCondition("?", condition);

    // What a killed run left beside the file, half written, goes with it.
    char beside[MAX_PATH];
    if (fits && BesidePath(path, beside)) DeleteFileA(beside);
    // A removal passes over a recorded file that is not there: an install
    // killed before it made the file recorded it all the same.
    if (fits && gProcess.removeMode && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)) {
        LogLine("Not there, passed over: %s", {TextArgument(path)});
        return 0;
    }
    // Read-only, hidden and system files are deletable once made normal.
    if (!refusal && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    for (;;) {
        if (!refusal && DeleteFileA(path)) return 0;
        if (refusal) SetLastError(refusal);
        if (quiet) return 0;
        int answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotDelete, kStyleAbortRetryIgnore | kAppendSystemText,
                                   path);
        if (answer != 0) return answer;
    }
}
