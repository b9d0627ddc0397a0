// Copying one file from the media through the LZ library, with the overwrite
// question, the creation of missing directories, and the disk prompt.
#pragma once
#include <windows.h>

struct OverwriteRequest {
    const char* targetName;
    const char* secondText;  // source name, or a free text such as "New Font Resource file"
    const BY_HANDLE_FILE_INFORMATION* sourceInfo;  // may be null
    const BY_HANDLE_FILE_INFORMATION* targetInfo;
};

// 0 copied, 1 skipped, -1 aborted.
int ExpandCopy(const char* source, const char* target);
// 0 the file's directory exists or was made, 1 unresolvable or ignored, -1 abort.
int EnsureDirectory(const char* filePath);
// 1 and fills info when the file opens as an existing file for reading.
int GetFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info);
// Template 70, owned by the owner window; returns 2, 5, 6 or 101.
int OverwriteDialog(const OverwriteRequest* request);
// Composes the overwrite question's text (both formats), bounded.
void FormatOverwriteText(char* out, int cap, const OverwriteRequest* request);
// Template 60 with the disk label; 1 or 2, may rewrite the media directory.
int DiskPromptDialog(const char* label);

// The compressed-name rule: a file name ending in "_" and one more character c
// is installed without those two characters and read from the media under
// that name with its last character replaced by c. 1 when the rule applied.
int SplitMediaName(const char* fileName, char (&targetName)[MAX_PATH], char (&mediaName)[MAX_PATH]);

// Copy-section visitor (an EntryVisitor).
int CopyEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
