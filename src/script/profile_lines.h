// The lines of a profile (INI) file as the platform's profile functions take
// them apart. Every reader of such files in the program and its tools reads
// lines through this one, so that they cannot disagree. Plain code without
// any platform header; it hands back offsets, never copies, and allocates
// nothing.
//
// - A line ends at CR LF, at a lone CR or at a lone LF. The platform ends a
//   line at a run of them: the lines this reads between the breaks of a run
//   are blank, and a blank line means nothing, so both read alike; counted
//   this way, lines are numbered as an editor numbers them.
// - Blanks are tab to CR, ^Z (an old end-of-file mark) and space. Those
//   around a line, a name and a value are no part of them.
// - A line starting with '[' that holds a ']' after it is a section header;
//   its name is the text up to the last ']'.
// - Any other line that is not blank is a key line: its name ends at the
//   first '=', the rest is its value; a line without '=' is all name. A key
//   line starting with ';' is a comment, which no key list lists.
#pragma once
#include <cstddef>

struct ProfileSpan {
    size_t begin = 0, end = 0;
    size_t size() const { return end - begin; }
};

enum class ProfileLineKind { Blank, Header, Key };

struct ProfileLine {
    ProfileLineKind kind = ProfileLineKind::Blank;
    ProfileSpan line;   // from the line's first byte to its break
    size_t next = 0;    // behind the break: where the next line starts
    ProfileSpan text;   // the line without the blanks around it
    ProfileSpan name;   // a header's section name, or a key line's name
    ProfileSpan value;  // a key line's value behind '='; empty at text.end without '='
    bool hasEquals = false;
    bool comment = false;
};

bool IsProfileBlank(char c);

// The line of bytes[0, size) that starts at `at` (at < size).
ProfileLine ReadProfileLine(const char* bytes, size_t size, size_t at);

// The break the file's first line ends with (CR LF, LF or CR), for lines
// added to it: its offset in `bytes` and its length (0 when no line ends).
ProfileSpan FirstLineBreak(const char* bytes, size_t size);
