// The question before an existing file is replaced.
#pragma once
#include <windows.h>

struct OverwriteRequest {
    const char* targetName;
    const char* secondText;                        // source name, or a free text such as "New Font Resource file"
    const BY_HANDLE_FILE_INFORMATION* sourceInfo;  // may be null
    const BY_HANDLE_FILE_INFORMATION* targetInfo;
};

// The answer to the question.
enum class Replace { Yes, YesToAll, Skip, Cancel };
// Template 70, owned by the owner window (closed: Cancel).
Replace OverwriteDialog(const OverwriteRequest* request);
// Composes the question's text (both formats), bounded.
void FormatOverwriteText(char* out, int cap, const OverwriteRequest* request);
