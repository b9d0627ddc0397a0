// Editing single lines of text files. A file is never edited in place: it is
// streamed chunk by chunk into a temporary file beside it, with the one line
// changed on the way, and the temporary file then takes the target's name.
// A carriage return, a line feed, or the two together end a line; the lines
// an edit writes end the way the file's first line does (CR LF in a file
// that has no line end yet).
#pragma once
#include <windows.h>

#include <cstddef>

#include "base/profile_text.h"
#include "base/text_buffer.h"

// Bytes read or written at a time; the one work buffer of an edit.
constexpr DWORD kChunkSize = 65534;
// The most of a found line that is kept: one byte beyond the longest text the
// removal log can record, so that a longer line shows as longer.
constexpr size_t kCaptureLimit = kProfileTextLimit + 1;

// One platform read or write; the bytes moved, 0 at the end or on failure.
// ReadChunk sets *failed (when given) only when the platform call failed.
DWORD ReadChunk(HANDLE file, char* buffer, DWORD count, bool* failed = nullptr);
DWORD WriteChunk(HANDLE file, const char* buffer, DWORD count);

// The files and work buffer of one edit, shared by its scans.
struct LineStream {
    HANDLE input;   // INVALID_HANDLE_VALUE when the target does not exist yet
    HANDLE output;
    char* work;     // kChunkSize bytes
    unsigned char lower[256];  // CharLowerA of every byte
    char lastWritten;          // last byte written to the output, 0 before the first
    const char* lineEnd;       // what ends the lines the edit writes
    bool failed;               // a read or write went wrong: the edit must not be kept
};

// Fills the lowering table, clears the running state of a stream and takes
// the input's line end from its first line; the input is left at its start.
void StartLineStream(LineStream& stream, HANDLE input, HANDLE output, char* work);

// Scans from the input's position. Header mode copies every line up to and
// including the first line holding the pattern. Line mode looks for the
// pattern within the section: on a match it copies the lines before it, skips
// the matching line and captures its text (without its line end, at most
// kCaptureLimit bytes, zeros included); when a line beginning with '[' ends
// the section it copies up to the section's last content line and leaves the
// input there. No pattern copies the rest. An empty pattern or "[none]" is
// found at once without reading. Returns 1 when the pattern was found.
int ScanLines(LineStream& stream, const char* pattern, bool headerMode, TextBuffer* capture);
// Writes text itself into the output (counted in lastWritten); false on a short write.
bool WriteText(LineStream& stream, const char* text, DWORD count);

// Streams input (may be INVALID_HANDLE_VALUE) into output with one edit:
// the line of `section` holding lineKey is replaced by newLine (none: deleted)
// or newLine is inserted after the section's last content line; a missing
// section is appended. The replaced line goes to oldLine. 1 done, 0 failed.
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
    friend int PrepareTextEdit(const char*, const char*, const char*, TextBuffer*, const char*, PreparedEdit&);
    char temp_[MAX_PATH] = "";
    char target_[MAX_PATH] = "";
};

// Writes the edit of the file at path into a temporary file in its directory,
// capturing the replaced line, so that the line is known before anything
// changes. 1 prepared, 0 failed (nothing left behind).
int PrepareTextEdit(const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                    const char* path, PreparedEdit& edit);
