// The file system helpers of more than one floor: whether a file exists (and
// its details), the making of a file's missing directories, and the paths the
// platform names (full path names, module file names) as UTF-8 text.
#pragma once
#include <windows.h>

#include <cstddef>

// 1 and fills info (when given) when the file opens as an existing file for reading.
int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info);
// Makes every missing directory on the way to a file, outermost first. Ready
// when the file's directory is there now; Unresolvable when the path names
// no file (or does not fit); Failed with `failed` the directory that could
// not be made.
enum class Directories { Ready, Unresolvable, Failed };
Directories MakeDirectories(const char* filePath, char* failed, size_t cap);
template <size_t N> inline Directories MakeDirectories(const char* filePath, char (&failed)[N]) {
    return MakeDirectories(filePath, failed, N);
}

// The outermost directory on the way to a file that does not exist yet, with
// a trailing backslash; false when every directory exists (or the path does
// not fit).
bool FirstMissingDirectory(const char* filePath, char* missing, size_t cap);
template <size_t N> inline bool FirstMissingDirectory(const char* filePath, char (&missing)[N]) {
    return FirstMissingDirectory(filePath, missing, N);
}
// Removes the directory and each directory in it that holds nothing once the
// directories in it are gone, deepest first. A directory that holds a file
// stays, and so does everything above it; links to other directories are
// never followed. False when the directory is still there afterwards.
bool RemoveEmptyDirectories(const char* directory);

// The full path of `path` as the platform makes it (GetFullPathNameW), in
// UTF-8, and where its file part starts (*filePart; the length when it names
// a directory). False when the platform cannot make it, when it is as long
// as MAX_PATH characters or longer (the platform's limit for the engine's
// paths), or when it does not fit out.
bool FullPathName(const char* path, char* out, size_t cap, size_t* filePart = nullptr);
template <size_t N> inline bool FullPathName(const char* path, char (&out)[N], size_t* filePart = nullptr) {
    return FullPathName(path, out, N, filePart);
}
// The file name of a loaded module (null: the program), in UTF-8; false when
// the platform cannot tell it or it does not fit.
bool ModuleFileName(HMODULE module, char* out, size_t cap);
template <size_t N> inline bool ModuleFileName(HMODULE module, char (&out)[N]) {
    return ModuleFileName(module, out, N);
}
// GetFileAttributesW of a UTF-8 path.
DWORD FileAttributes(const char* path);
