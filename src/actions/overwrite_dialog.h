// The question before an existing file is replaced.
#pragma once
#include <windows.h>

struct OverwriteRequest {
    const char* targetName;
    const char* secondText;  // source name, or a free text such as "New Font Resource file"
    const BY_HANDLE_FILE_INFORMATION* sourceInfo;  // may be null
    const BY_HANDLE_FILE_INFORMATION* targetInfo;
};

// Template 70, owned by the owner window; returns IDCANCEL, IDC_SKIP, IDYES or IDC_YES_TO_ALL.
int OverwriteDialog(const OverwriteRequest* request);
// Composes the question's text (both formats), bounded.
void FormatOverwriteText(char* out, int cap, const OverwriteRequest* request);
