#include <windows.h>

#include "script/sections.h"
#include "script/text.h"
#include "script/variables.h"

const ScriptVariable* FindVariable(const char* name) {
    if (!gState) return nullptr;
    for (int i = 0; i < gState->variableCount && i < kMaxVariables; ++i)
        if (lstrcmpA(gState->variables[i].name, name) == 0) return &gState->variables[i];
    return nullptr;
}

ScriptVariable* AppendVariable(const char* name) {
    if (!gState || gState->variableCount >= kMaxVariables) return nullptr;
    ScriptVariable* row = &gState->variables[gState->variableCount++];
    CopyText(row->name, name);
    row->value[0] = '\0';
    return row;
}

namespace {

// Value of a built-in name into out; false when the piece is no built-in name.
bool BuiltIn(const char* piece, char (&out)[MAX_PATH]) {
    char directory[MAX_PATH] = "";
    bool windows = !lstrcmpiA(piece, "WinDir") || !lstrcmpiA(piece, "WinDisk");
    bool system = !lstrcmpiA(piece, "SysDir") || !lstrcmpiA(piece, "SysDisk");
    if (windows) GetWindowsDirectoryA(directory, sizeof directory);
    else if (system) GetSystemDirectoryA(directory, sizeof directory);
    else if (!lstrcmpiA(piece, "InstDir")) CopyText(directory, gProcess.mediaDirectory);
    else return false;

    if (!lstrcmpiA(piece, "WinDisk") || !lstrcmpiA(piece, "SysDisk")) {
        CopyTextN(out, sizeof out, directory, 2);
        return true;
    }
    size_t n = lstrlenA(directory);
    if (n && directory[n - 1] == '\\') directory[n - 1] = '\0';
    CopyText(out, directory);
    return true;
}

}  // namespace

bool ExpandText(char* text, char* out, size_t cap, bool split) {
    char* pieces[64];
    int count = 1;
    pieces[0] = text;
    if (split) SplitFields(text, pieces, &count, '%', 64);
    if (cap) out[0] = '\0';
    bool whole = true;
    for (int i = 0; i < count; ++i) {
        char value[MAX_PATH];
        const char* add = pieces[i];
        if (BuiltIn(pieces[i], value)) add = value;
        else if (const ScriptVariable* v = FindVariable(pieces[i])) add = v->value;
        whole = AppendText(out, cap, add) && whole;
    }
    return whole;
}
