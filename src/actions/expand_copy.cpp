#include <windows.h>
#include <lzexpand.h>

#include "actions/file_copy.h"
#include "run/messages.h"
#include "run/setup_state.h"
#include "script/text.h"
#include "ui/resource_ids.h"

int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION scratch;
    GetFileInformationByHandle(file, info ? info : &scratch);
    CloseHandle(file);
    return 1;
}

int EnsureDirectory(const char* filePath) {
    char full[MAX_PATH];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(filePath, sizeof full, full, &filePart);
    if (n == 0 || n >= sizeof full || !filePart || !*filePart) return 1;
    *filePart = '\0';  // keep the directory with its trailing backslash
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    size_t len = lstrlenA(full);
    full[len - 1] = '\0';
    int r = EnsureDirectory(full);
    if (r != 0) return r;
    while (!CreateDirectoryA(full, nullptr)) {
        r = ReportMessage(gState ? gState->ownerWindow : nullptr, kMsgCannotCreateDirectory,
                          kStyleAbortRetryIgnore, full);
        if (r != 0) return r;
    }
    return 0;
}

namespace {

HWND Owner() { return gState ? gState->ownerWindow : nullptr; }

// Moves the whole file through the LZ library: plain files come through
// unchanged, compressed ones expanded. Large reads keep plain copies as fast as
// the file system allows.
void Transfer(INT source, HANDLE target) {
    static char buffer[1 << 20];
    for (;;) {
        INT got = LZRead(source, buffer, sizeof buffer);
        if (got <= 0) break;
        DWORD written = 0;
        if (!WriteFile(target, buffer, static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got))
            break;
    }
}

}  // namespace

int ExpandCopy(const char* source, const char* target) {
    char sourceName[MAX_PATH];
    CopyText(sourceName, source);
    OFSTRUCT of;
    BY_HANDLE_FILE_INFORMATION sourceInfo = {};
    GetFileInfo(sourceName, &sourceInfo);
    INT src = LZOpenFileA(sourceName, &of, OF_READ);
    int result = 0;
    while (src < 0) {
        result = ReportMessage(Owner(), kMsgCannotOpen, kStyleAbortRetryIgnore, source);
        if (result != 0) return result;
        GetFileInfo(sourceName, &sourceInfo);
        src = LZOpenFileA(sourceName, &of, OF_READ);
    }

    int decision = 6;
    BY_HANDLE_FILE_INFORMATION targetInfo;
    if (GetFileInfo(target, &targetInfo)) {
        if (!gProcess.yesToAll) {
            OverwriteRequest request = {target, source, &sourceInfo, &targetInfo};
            decision = OverwriteDialog(&request);
        }
        if (decision == 2) result = -1;
        else if (decision == 5) result = 1;
        else if (decision == IDC_YES_TO_ALL) {
            gProcess.yesToAll = 1;
            decision = 6;
        }
        if (decision == 6) SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    } else if (EnsureDirectory(target) == -1) {
        decision = -1;
        result = -1;
    }

    if (decision == 6) {
        HANDLE out;
        while ((out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr)) == INVALID_HANDLE_VALUE) {
            result = ReportMessage(Owner(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
            if (result != 0) break;
        }
        if (out != INVALID_HANDLE_VALUE) {
            Transfer(src, out);
            CloseHandle(out);
        }
    }
    LZClose(src);
    return result;
}
