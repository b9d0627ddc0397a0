#include "base/file_system.h"

#include <cstring>
#include <string>

#include "base/scoped_handles.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"

int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    ScopedHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 0;
    BY_HANDLE_FILE_INFORMATION scratch;
    GetFileInformationByHandle(file.get(), info ? info : &scratch);
    return 1;
}

bool FullPathName(const char* path, char* out, size_t cap, size_t* filePart) {
    if (cap == 0) return false;
    out[0] = '\0';
    wchar_t full[MAX_PATH];
    wchar_t* wideFilePart = nullptr;
    DWORD n = GetFullPathNameW(Wide(path).c_str(), MAX_PATH, full, &wideFilePart);
    if (n == 0 || n >= MAX_PATH) return false;
    if (filePart) {
        // The file part's offset in UTF-8 bytes: the length of what comes before it.
        int before = wideFilePart ? static_cast<int>(wideFilePart - full) : static_cast<int>(n);
        *filePart = Narrow(full, before).size();
    }
    return FromWide(full, out, cap);
}

bool ModuleFileName(HMODULE module, char* out, size_t cap) {
    if (cap == 0) return false;
    out[0] = '\0';
    wchar_t name[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, name, MAX_PATH);
    return n > 0 && n < MAX_PATH && FromWide(name, out, cap);
}

DWORD FileAttributes(const char* path) { return GetFileAttributesW(Wide(path).c_str()); }

Directories MakeDirectories(const char* filePath, char* failed, size_t cap) {
    if (cap) failed[0] = '\0';
    char full[kPathBytes];
    size_t filePart = 0;
    if (!FullPathName(filePath, full, &filePart) || full[filePart] == '\0') return Directories::Unresolvable;
    full[filePart] = '\0';  // keep the directory with its trailing backslash
    DWORD attributes = FileAttributes(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Directories::Ready;
    size_t len = std::strlen(full);
    full[len - 1] = '\0';
    Directories outer = MakeDirectories(full, failed, cap);
    if (outer != Directories::Ready) return outer;
    if (CreateDirectoryW(Wide(full).c_str(), nullptr)) return Directories::Ready;
    CopyText(failed, cap, full);
    return Directories::Failed;
}

bool FirstMissingDirectory(const char* filePath, char* missing, size_t cap) {
    size_t filePart = 0;
    if (!FullPathName(filePath, missing, cap, &filePart) || missing[filePart] == '\0') return false;
    missing[filePart] = '\0';
    // Most files go into a directory that is there: one look settles it.
    if (FileAttributes(missing) != INVALID_FILE_ATTRIBUTES) return false;
    // Each directory from the outermost, after the drive or share it lies on.
    char* start = missing + 1;
    if (missing[0] == '\\' && missing[1] == '\\')
        for (int slashes = 0; *start && slashes < 3; ++start) slashes += *start == '\\';
    for (char* at = start; *at; ++at) {
        if (*at != '\\' || at[-1] == ':' || at[-1] == '\\') continue;
        char kept = at[1];
        at[1] = '\0';
        if (FileAttributes(missing) == INVALID_FILE_ATTRIBUTES) return true;
        at[1] = kept;
    }
    return false;
}

namespace {

// Deeper than any path of MAX_PATH characters can go: a bound for the walk.
constexpr int kMaxDepth = 130;

bool RemoveEmptyTree(const char* directory, int depth) {
    char pattern[kPathBytes];
    if (!CopyText(pattern, directory) || !AddBackslash(pattern) || !AppendText(pattern, "*")) return false;
    WIN32_FIND_DATAW found;
    ScopedFind search(FindFirstFileW(Wide(pattern).c_str(), &found));
    if (search) {
        do {
            bool directoryEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                  !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            if (!directoryEntry || !wcscmp(found.cFileName, L".") || !wcscmp(found.cFileName, L"..") ||
                depth >= kMaxDepth)
                continue;
            char inner[kPathBytes];
            if (CopyText(inner, directory) && AddBackslash(inner) && AppendText(inner, Narrow(found.cFileName).c_str()))
                RemoveEmptyTree(inner, depth + 1);
        } while (FindNextFileW(search.get(), &found));
    }
    return RemoveDirectoryW(Wide(directory).c_str()) != 0;
}

}  // namespace

bool RemoveEmptyDirectories(const char* directory) {
    char path[kPathBytes];
    if (!CopyText(path, directory)) return false;
    size_t n = std::strlen(path);
    if (n > 1 && path[n - 1] == '\\' && path[n - 2] != ':') path[n - 1] = '\0';
    DWORD attributes = FileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return RemoveEmptyTree(path, 0);
}
