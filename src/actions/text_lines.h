// Editing single lines of text files. A file is never edited in place: it is
// streamed chunk by chunk (line_scan.h) into a temporary file beside it, with
// the one line changed on the way, and the temporary file then takes the
// target's name.
#pragma once
#include <windows.h>

#include "actions/line_scan.h"
#include "base/text_buffer.h"
#include "base/wide_text.h"

// What an edit came to. Texts are UTF-8; the file keeps its encoding
// (line_scan.h), and a line an ANSI file cannot spell exactly is refused,
// never written with a character that only looks like it.
enum TextEditResult {
    kTextEditFailed = 0,
    kTextEditDone = 1,
    kTextEditUnencodable = 2,  // the file is ANSI and a text has no exact spelling in its code page
};

// One platform read or write; the bytes moved, 0 at the end or on failure.
// ReadChunk sets *failed (when given) only when the platform call failed.
DWORD ReadChunk(HANDLE file, char* buffer, DWORD count, bool* failed = nullptr);
DWORD WriteChunk(HANDLE file, const char* buffer, DWORD count);

// Streams input (may be INVALID_HANDLE_VALUE) into output with one edit:
// the line of `section` holding lineKey is replaced by newLine (none: deleted)
// or newLine is inserted after the section's last content line; a missing
// section is appended. The replaced line goes to oldLine as UTF-8. A
// TextEditResult.
int EditSection(HANDLE input, const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                HANDLE output);

// An edit written out beside its target and not yet put in place. Dropped
// (its temporary file deleted) unless committed.
class PreparedEdit {
public:
    PreparedEdit() = default;
    ~PreparedEdit();
    PreparedEdit(const PreparedEdit&) = delete;
    PreparedEdit& operator=(const PreparedEdit&) = delete;
    // Puts the edited text in place of the target in one step; false when
    // that fails (the target is then as it was).
    bool Commit();

private:
    friend int PrepareTextEdit(const char*, const char*, const char*, TextBuffer*, const char*, PreparedEdit*);
    char temp_[kPathBytes] = "";
    char target_[kPathBytes] = "";
};

// Writes the edit of the file at path into a file beside it (whole_files.h),
// capturing the replaced line. Without an edit nothing is written: the line
// the edit would replace is only looked for. kTextEditDone when prepared (or
// found); otherwise nothing is left behind.
int PrepareTextEdit(const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                    const char* path, PreparedEdit* edit);
