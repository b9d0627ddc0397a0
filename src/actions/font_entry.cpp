// Font resource entries: a .fot file beside (or for) a TrueType font that the
// copy stage has placed, so the font can be made known to the system.
#include "actions/font_entry.h"

#include <windows.h>

#include "actions/overwrite_dialog.h"
#include "actions/progress_dialog.h"
#include "base/device_names.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "removal/removal_log.h"
#include "script/conditions.h"
#include "script/variables.h"

namespace {

constexpr char kFontResourceText[] = "Font Resource file";

struct FontFiles {
    char resource[MAX_PATH];     // directory + name + ".fot"
    char font[MAX_PATH];         // name + ".ttf", or directory + name + ".ttf"
    char currentPath[MAX_PATH];  // the directory for a bare font name, else empty
};

// The directory with a trailing backslash; false when it did not fit.
bool WithBackslash(char (&directory)[MAX_PATH]) {
    AddBackslash(directory);
    size_t n = lstrlenA(directory);
    return n && directory[n - 1] == '\\';
}

// A font in one of the system's own font places is named bare, with that
// place as the current path; anywhere else it is named by its full path.
bool IsSystemPlace(const char* directory) {
    char windows[MAX_PATH] = "", windowsSystem[MAX_PATH], system[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    WithBackslash(windows);
    CopyText(windowsSystem, windows);
    AppendText(windowsSystem, "system\\");
    GetSystemDirectoryA(system, sizeof system);
    WithBackslash(system);
    return !CompareNoCase(directory, windows) || !CompareNoCase(directory, windowsSystem) ||
           !CompareNoCase(directory, system);
}

// Works out the three names of an entry. False when a name does not fit its
// buffer: a cut name would make (and log) a file nobody asked for.
bool FontFileNames(char* directoryField, char* nameField, FontFiles* files) {
    char directory[MAX_PATH], name[MAX_PATH];
    bool fits = ExpandText(directoryField, directory, true) && WithBackslash(directory);
    fits = ExpandText(nameField, name, true) && fits;

    fits = CopyText(files->resource, directory) && fits;
    fits = AppendText(files->resource, name) && fits;
    if (IsSystemPlace(directory)) {
        fits = CopyText(files->font, name) && fits;
        fits = CopyText(files->currentPath, directory) && fits;
    } else {
        fits = CopyText(files->font, files->resource) && fits;
        files->currentPath[0] = '\0';
    }
    fits = AppendText(files->resource, ".fot") && fits;
    fits = AppendText(files->font, ".ttf") && fits;
    return fits;
}

// 6 when the old resource file is out of the way (or there was none),
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

int FontEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    const char* condition = valueCount >= 2 ? valueFields[1] : nullptr;
    if (condition && !MatchCondition(gState->optionCodes, condition)) return 1;

    HWND owner = gState->pass.ownerWindow;
    FontFiles files;
    char noName[] = "";
    // The font file has the resource file's directory and name: a device name
    // in one (NUL.fot, NUL.ttf) is in both.
    if (!FontFileNames(keyFields[0], keyCount >= 2 ? keyFields[1] : noName, &files) || keyCount < 2 ||
        FindDeviceName(files.resource)) {
        // Nothing sensible can be created or logged; say so like any failure.
        return ReportMessage(owner, kMsgCannotCreateFont, kStyleOkCancel, files.resource) == IDCANCEL ? kAbort : kSkipped;
    }

    ShowStatus("Create:\n\nFile:", kFontResourceText, files.resource, "");
    // Logged before the file exists, so a removal run finds it whatever happens next.
    if (!gProcess.removeMode && !(condition && MatchCondition("nr", condition)) &&
        LogRemoval(RemoveFileAtPath, files.resource, kFontResourceText) == kAbort)
        return kAbort;

    if (ClearOldResource(files.resource) != IDYES) return 1;
    if (!CreateScalableFontResourceA(0, files.resource, files.font, files.currentPath) &&
        ReportMessage(owner, kMsgCannotCreateFont, kStyleOkCancel, files.resource) == IDCANCEL)
        return kAbort;
    return 1;
}
