// The file system helpers of more than one floor: whether a file exists (and
// its details), and the making of a file's missing directories.
#pragma once
#include <windows.h>

// 1 and fills info (when given) when the file opens as an existing file for reading.
int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info);
// Makes every missing directory on the way to a file, asking Abort/Retry/Ignore
// when one cannot be made: 0 the directory exists now, 1 unresolvable or
// ignored, -1 abort.
int EnsureDirectory(const char* filePath);
