#include "base/file_system.h"

#include "base/messages.h"
#include "base/setup_state.h"

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
        r = ReportMessage(OwnerWindow(), kMsgCannotCreateDirectory, kStyleAbortRetryIgnore, full);
        if (r != 0) return r;
    }
    return 0;
}
