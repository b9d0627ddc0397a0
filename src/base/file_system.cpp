#include "base/file_system.h"

#include "base/setup_state.h"
#include "base/text.h"
#include "base/scoped_handles.h"

int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 0;
    BY_HANDLE_FILE_INFORMATION scratch;
    GetFileInformationByHandle(file.get(), info ? info : &scratch);
    return 1;
}

Directories MakeDirectories(const char* filePath, char (&failed)[MAX_PATH]) {
    failed[0] = '\0';
    char full[MAX_PATH];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(filePath, sizeof full, full, &filePart);
    if (n == 0 || n >= sizeof full || !filePart || !*filePart) return Directories::Unresolvable;
    *filePart = '\0';  // keep the directory with its trailing backslash
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Directories::Ready;
    size_t len = lstrlenA(full);
    full[len - 1] = '\0';
    Directories outer = MakeDirectories(full, failed);
    if (outer != Directories::Ready) return outer;
    if (CreateDirectoryA(full, nullptr)) return Directories::Ready;
    CopyText(failed, full);
    return Directories::Failed;
}

bool FirstMissingDirectory(const char* filePath, char (&missing)[MAX_PATH]) {
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(filePath, sizeof missing, missing, &filePart);
    if (n == 0 || n >= sizeof missing || !filePart) return false;
    *filePart = '\0';
    // Most files go into a directory that is there: one look settles it.
    if (GetFileAttributesA(missing) != INVALID_FILE_ATTRIBUTES) return false;
    // Each directory from the outermost, after the drive or share it lies on.
    char* start = missing + 1;
    if (missing[0] == '\\' && missing[1] == '\\')
        for (int slashes = 0; *start && slashes < 3; ++start) slashes += *start == '\\';
    for (char* at = start; *at; ++at) {
        if (*at != '\\' || at[-1] == ':' || at[-1] == '\\') continue;
        char kept = at[1];
        at[1] = '\0';
        if (GetFileAttributesA(missing) == INVALID_FILE_ATTRIBUTES) return true;
        at[1] = kept;
    }
    return false;
}

namespace {

// Deeper than any path of MAX_PATH characters can go: a bound for the walk.
constexpr int kMaxDepth = 130;

bool RemoveEmptyTree(const char* directory, int depth) {
    char pattern[MAX_PATH];
    if (!CopyText(pattern, directory) || !AddBackslash(pattern) || !AppendText(pattern, "*")) return false;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(pattern, &found));
    if (search) {
        do {
            bool directoryEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                  !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            if (!directoryEntry || !lstrcmpA(found.cFileName, ".") || !lstrcmpA(found.cFileName, "..") ||
                depth >= kMaxDepth)
                continue;
            char inner[MAX_PATH];
            if (CopyText(inner, directory) && AddBackslash(inner) && AppendText(inner, found.cFileName))
                RemoveEmptyTree(inner, depth + 1);
        } while (FindNextFileA(search.get(), &found));
    }
    return RemoveDirectoryA(directory) != 0;
}

}  // namespace

bool RemoveEmptyDirectories(const char* directory) {
    char path[MAX_PATH];
    if (!CopyText(path, directory)) return false;
    size_t n = lstrlenA(path);
    if (n > 1 && path[n - 1] == '\\' && path[n - 2] != ':') path[n - 1] = '\0';
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return RemoveEmptyTree(path, 0);
}
