#include "script/directories.h"

#include <windows.h>

#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"

void GetBuiltInDirectory(BuiltInDirectory which, char* out, size_t cap) {
    if (cap == 0) return;
    out[0] = '\0';
    if (which == BuiltInDirectory::Media) {
        CopyText(out, cap, gProcess.mediaDirectory);
        return;
    }
    // A directory the platform cannot give reads as empty.
    wchar_t directory[MAX_PATH] = L"";
    UINT n = which == BuiltInDirectory::Windows ? GetWindowsDirectoryW(directory, MAX_PATH)
                                                : GetSystemDirectoryW(directory, MAX_PATH);
    char text[kPathBytes];
    if (n > 0 && n < MAX_PATH && FromWide(directory, text)) CopyText(out, cap, text);
}
