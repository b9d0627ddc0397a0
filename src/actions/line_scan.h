// The line scanner of text line entries: a file is streamed chunk by chunk
// from its input into its output with one line changed on the way. A
// carriage return, a line feed, or the two together end a line; the lines an
// edit writes end the way the file's first line does (CR LF in a file that
// has no line end yet). Plain code over LineFiles, so that the scanner also
// builds natively and runs over files in memory (tests, fuzzing).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

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

// How a text file spells its characters, as its first bytes declare it: a
// file without a byte order mark is in the legacy (ANSI) code page; one that
// starts with EF BB BF is UTF-8, one that starts with FF FE is UTF-16LE.
enum class LineEncoding { kAnsi, kUtf8, kUtf16 };

// The input's encoding; *empty tells whether there is no input or it holds no
// byte at all (such a file takes whatever encoding its first edit chooses).
// The input is left at its start.
LineEncoding InputEncoding(LineFiles& files, bool* empty);

// UTF-16LE bytes (no mark) into UTF-8 and back. False for text that does not
// convert exactly: an odd byte count, a lone surrogate, a malformed sequence.
bool Utf16ToUtf8(const char* bytes, size_t length, std::string& out);
bool Utf8ToUtf16(const char* text, size_t length, std::string& out);

// EditLines over a file in the given encoding. The texts (section, lineKey,
// newLine) and the captured old line are in the file's own encoding for an
// ANSI file and UTF-8 otherwise. A file with a UTF-8 mark is streamed as it
// is, behind its mark; a UTF-16LE file is read whole, edited as UTF-8 and
// written back as UTF-16LE, so every line it does not change comes back with
// the same bytes. Letter case is ignored through `lower` in an ANSI file and
// only for A-Z in the others (a byte table cannot lower a character of
// several bytes). A new or empty input gets the encoding's mark first.
int EditEncodedLines(LineFiles& files, LineEncoding encoding, char* work, uint32_t chunk, const unsigned char* lower,
                     const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine);
