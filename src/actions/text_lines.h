// Editing single lines of text files. A file is never edited in place: it is
// streamed chunk by chunk into a temporary file beside it, with the one line
// changed on the way, and the temporary file then takes the target's name.
#pragma once
#include <windows.h>

#include <cstddef>

// Bytes read or written at a time; the one work buffer of an edit.
constexpr DWORD kChunkSize = 65534;
// Longest line an entry writes or captures, terminator included.
constexpr int kLineSize = 128;

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
    bool failed;               // a read or write went wrong: the edit must not be kept
};

// Fills the lowering table and clears the running state of a stream.
void StartLineStream(LineStream& stream, HANDLE input, HANDLE output, char* work);

// Scans from the input's position. Header mode copies every line up to and
// including the first line holding the pattern. Line mode looks for the
// pattern within the section: on a match it copies the lines before it, skips
// the matching line and captures its text; when a line beginning with '[' ends
// the section it copies up to the section's last content line and leaves the
// input there. No pattern copies the rest. An empty pattern or "[none]" is
// found at once without reading. Returns 1 when the pattern was found.
int ScanLines(LineStream& stream, const char* pattern, bool headerMode, char* capture, size_t captureCap);
// Writes text itself into the output (counted in lastWritten); false on a short write.
bool WriteText(LineStream& stream, const char* text, DWORD count);

// Streams input (may be INVALID_HANDLE_VALUE) into output with one edit:
// the line of `section` holding lineKey is replaced by newLine (none: deleted)
// or newLine is inserted after the section's last content line; a missing
// section is appended. The replaced line goes to oldLine. 1 done, 0 failed.
int EditSection(HANDLE input, const char* section, const char* lineKey, const char* newLine, char* oldLine,
                size_t oldLineCap, HANDLE output);
// Edits the file at path through a temporary file in its directory, which
// then replaces it in one step. Nonzero on success; on failure the target is
// as it was and the temporary file is gone.
int EditTextFile(const char* section, const char* lineKey, const char* newLine, char* oldLine, size_t oldLineCap,
                 const char* path);
