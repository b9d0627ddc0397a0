// The line scanner of text line entries: a file is streamed chunk by chunk
// from its input into its output with one line changed on the way. A
// carriage return, a line feed, or the two together end a line; the lines an
// edit writes end the way the file's first line does (CR LF in a file that
// has no line end yet). Plain code over LineFiles, so that the scanner also
// builds natively and runs over files in memory (tests, fuzzing).
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/profile_text.h"
#include "base/text_buffer.h"

// Bytes read or written at a time; the one work buffer of an edit.
constexpr uint32_t kChunkSize = 65534;
// The most of a found line that is kept: one byte beyond the longest text the
// removal log can record, so that a longer line shows as longer.
constexpr size_t kCaptureLimit = kProfileTextLimit + 1;

// The input an edit reads (by byte offset) and the output it writes.
class LineFiles {
public:
    virtual ~LineFiles() = default;
    // False when there is no input: the target does not exist yet.
    virtual bool HasInput() = 0;
    // Reads up to count bytes from the input's position; the bytes read, 0
    // at the end or on failure (which also sets *failed).
    virtual uint32_t Read(char* buffer, uint32_t count, bool* failed) = 0;
    virtual void Seek(uint32_t at) = 0;
    virtual uint32_t Tell() = 0;
    // Writes to the output; the bytes written.
    virtual uint32_t Write(const char* buffer, uint32_t count) = 0;
};

// The files, work buffer and lowering table of one edit, shared by its scans.
struct LineStream {
    LineFiles* files;
    char* work;                  // `chunk` bytes
    uint32_t chunk;              // bytes read at a time: kChunkSize, less in tests
    const unsigned char* lower;  // 256 entries: every byte lowered as the platform lowers it
    char lastWritten;            // last byte written to the output, 0 before the first
    const char* lineEnd;         // what ends the lines the edit writes
    bool failed;                 // a read or write went wrong: the edit must not be kept
};

// Clears the running state of a stream and takes the input's line end from
// its first line; the input is left at its start.
void StartLineStream(LineStream& stream, LineFiles& files, char* work, uint32_t chunk, const unsigned char* lower);

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
bool WriteText(LineStream& stream, const char* text, uint32_t count);

// Streams the input (none: an empty file) into the output with one edit: the
// line of `section` holding lineKey is replaced by newLine (none: deleted)
// or newLine is inserted after the section's last content line; a missing
// section is appended. The replaced line goes to oldLine. The input is read
// `chunk` bytes at a time (kChunkSize in the installer) into work. 1 done,
// 0 failed.
int EditLines(LineFiles& files, char* work, uint32_t chunk, const unsigned char* lower, const char* section,
              const char* lineKey, const char* newLine, TextBuffer* oldLine);
