#include "script/directories.h"

#include <windows.h>

#include "base/setup_state.h"
#include "base/text.h"

void GetBuiltInDirectory(BuiltInDirectory which, char* out, size_t cap) {
    if (cap == 0) return;
    out[0] = '\0';
    char directory[MAX_PATH] = "";
    if (which == BuiltInDirectory::Windows) GetWindowsDirectoryA(directory, sizeof directory);
    else if (which == BuiltInDirectory::System) GetSystemDirectoryA(directory, sizeof directory);
    else CopyText(directory, gProcess.mediaDirectory);
    CopyText(out, cap, directory);
}
