// The file system helpers of more than one floor: whether a file exists (and
// its details), and the making of a file's missing directories.
#pragma once
#include <windows.h>

// 1 and fills info (when given) when the file opens as an existing file for reading.
int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info);
// Makes every missing directory on the way to a file, outermost first. Ready
// when the file's directory is there now; Unresolvable when the path names
// no file (or does not fit); Failed with `failed` the directory that could
// not be made.
enum class Directories { Ready, Unresolvable, Failed };
Directories MakeDirectories(const char* filePath, char (&failed)[MAX_PATH]);

// The outermost directory on the way to a file that does not exist yet, with
// a trailing backslash; false when every directory exists (or the path does
// not fit).
bool FirstMissingDirectory(const char* filePath, char (&missing)[MAX_PATH]);
// Removes the directory and each directory in it that holds nothing once the
// directories in it are gone, deepest first. A directory that holds a file
// stays, and so does everything above it; links to other directories are
// never followed. False when the directory is still there afterwards.
bool RemoveEmptyDirectories(const char* directory);
