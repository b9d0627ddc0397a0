#include "actions/text_lines.h"

#include "base/messages.h"
#include "base/text.h"

DWORD ReadChunk(HANDLE file, char* buffer, DWORD count, bool* failed) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, count, &got, nullptr)) {
        if (failed) *failed = true;
        return 0;
    }
    return got;
}

DWORD WriteChunk(HANDLE file, const char* buffer, DWORD count) {
    DWORD put = 0;
    if (!WriteFile(file, buffer, count, &put, nullptr)) return 0;
    return put;
}

bool WriteText(LineStream& stream, const char* text, DWORD count) {
    if (count == 0) return true;
    if (WriteChunk(stream.output, text, count) != count) {
        stream.failed = true;
        return false;
    }
    stream.lastWritten = text[count - 1];
    return true;
}

namespace {

DWORD Tell(HANDLE file) {
    LONG high = 0;
    return SetFilePointer(file, 0, &high, FILE_CURRENT);
}

void Seek(HANDLE file, DWORD at) {
    LONG high = 0;
    SetFilePointer(file, static_cast<LONG>(at), &high, FILE_BEGIN);
}

// The part of the input that the work buffer holds, by file offset.
struct Window {
    LineStream& stream;
    DWORD start;
    DWORD length;

    bool Holds(DWORD from, DWORD to) const { return from >= start && to <= start + length; }
    bool Has(DWORD at) const { return at >= start && at - start < length; }
    DWORD Load(DWORD at, DWORD count = kChunkSize) {
        Seek(stream.input, at);
        start = at;
        length = ReadChunk(stream.input, stream.work, count, &stream.failed);
        return length;
    }
};

// Writes the input's bytes [from, to): from the window when it holds them,
// otherwise read again from the file (which moves the window).
void CopyRange(Window& window, DWORD from, DWORD to) {
    if (from >= to) return;
    if (window.Holds(from, to)) {
        WriteText(window.stream, window.stream.work + (from - window.start), to - from);
        return;
    }
    while (from < to) {
        DWORD want = to - from < kChunkSize ? to - from : kChunkSize;
        DWORD got = window.Load(from, want);
        if (got == 0) {
            window.stream.failed = true;
            return;
        }
        WriteText(window.stream, window.stream.work, got);
        from += got;
    }
}

void CopyRest(LineStream& stream) {
    Window window{stream, 0, 0};
    DWORD at = Tell(stream.input);
    while (window.Load(at) > 0) {
        WriteText(stream, stream.work, window.length);
        at += window.length;
    }
}

// The input's bytes [from, to) into out, at most kCaptureLimit of them.
void CaptureRange(Window& window, DWORD from, DWORD to, TextBuffer& out) {
    out.Clear();
    if (to - from > kCaptureLimit) to = from + static_cast<DWORD>(kCaptureLimit);
    if (!out.Reserve(to - from + 1)) {
        window.stream.failed = true;
        return;
    }
    while (from < to) {
        if (!window.Has(from) && window.Load(from) == 0) {
            window.stream.failed = true;
            return;
        }
        DWORD available = window.start + window.length - from;
        DWORD take = to - from < available ? to - from : available;
        out.Append(window.stream.work + (from - window.start), take);
        from += take;
    }
}

// The line end of the file's first line, read from its start: CR LF, LF or
// CR; CR LF when there is none. The input is put back at its start.
const char* FirstLineEnd(HANDLE input, char* work) {
    if (input == INVALID_HANDLE_VALUE) return "\r\n";
    Seek(input, 0);
    const char* found = nullptr;
    bool afterReturn = false;
    for (DWORD got; !found && (got = ReadChunk(input, work, kChunkSize)) > 0;) {
        for (DWORD i = 0; i < got && !found; ++i) {
            if (afterReturn) found = work[i] == '\n' ? "\r\n" : "\r";
            else if (work[i] == '\n') found = "\n";
            afterReturn = work[i] == '\r';
        }
    }
    Seek(input, 0);
    return found ? found : afterReturn ? "\r" : "\r\n";
}

}  // namespace

void StartLineStream(LineStream& stream, HANDLE input, HANDLE output, char* work) {
    stream.input = input;
    stream.output = output;
    stream.work = work;
    stream.lastWritten = 0;
    stream.failed = false;
    for (int i = 0; i < 256; ++i) stream.lower[i] = static_cast<unsigned char>(i);
    CharLowerBuffA(reinterpret_cast<char*>(stream.lower + 1), 255);
    stream.lineEnd = FirstLineEnd(input, work);
}

// The walk goes through the input by offset, one line at a time, with the
// work buffer as a window onto it. Lines and matches that cross the end of a
// chunk therefore come out as within one chunk, and bytes whose place in the
// output is not settled yet (blank and comment lines after the last content
// line, or a line still being read) are kept in view only while that leaves
// room to move on; past that they are read again once their place is known.
int ScanLines(LineStream& stream, const char* pattern, bool headerMode, TextBuffer* capture) {
    if (pattern && (!pattern[0] || CompareNoCase(pattern, "[none]") == 0)) return 1;
    if (stream.input == INVALID_HANDLE_VALUE) return 0;
    if (!pattern) {
        CopyRest(stream);
        return 0;
    }

    const unsigned char* lower = stream.lower;
    const unsigned char* wanted = reinterpret_cast<const unsigned char*>(pattern);
    size_t patternLength = lstrlenA(pattern);
    Window window{stream, 0, 0};
    DWORD origin = Tell(stream.input);
    DWORD committed = origin;  // written to the output up to here
    DWORD settled = origin;    // may be written up to here: end of the last line that stays before any insertion
    DWORD at = origin;

    // The byte at `at`; false at the end of the input.
    auto next = [&](unsigned char* c) -> bool {
        if (!window.Has(at)) {
            CopyRange(window, committed, settled);
            committed = settled;
            window.Load(at - committed < kChunkSize / 2 ? committed : at);
            if (!window.Has(at)) return false;
        }
        *c = static_cast<unsigned char>(stream.work[at - window.start]);
        return true;
    };

    unsigned char c;
    while (next(&c)) {
        DWORD lineStart = at;
        bool comment = c == ';';
        bool content = c != ';' && c != '\r' && c != '\n';
        bool endsSection = !headerMode && c == '[';
        size_t matchedChars = 0;
        bool matched = false;
        DWORD textEnd = at;
        bool more = true;
        for (;;) {
            if (c == '\n' || c == '\r') {
                textEnd = at++;
                // CR LF is one line end; a CR or an LF alone is one too.
                unsigned char following;
                if (c == '\r' && next(&following) && following == '\n') ++at;
                break;
            }
            // A mismatch starts the count again after the breaking byte, which
            // itself is not tried as the pattern's first character.
            if (!comment && !matched) {
                if (lower[c] == lower[wanted[matchedChars]])
                    matched = ++matchedChars == patternLength;
                else
                    matchedChars = 0;
            }
            ++at;
            if (!next(&c)) {
                textEnd = at;
                more = false;
                break;
            }
        }
        DWORD lineEnd = at;

        if (matched) {
            if (headerMode) {
                CopyRange(window, committed, lineEnd);
            } else {
                CopyRange(window, committed, lineStart);
                if (capture) CaptureRange(window, lineStart, textEnd, *capture);
            }
            Seek(stream.input, lineEnd);
            return 1;
        }
        if (endsSection) {
            // The blank and comment lines before the next header stay behind
            // any line inserted into this section.
            CopyRange(window, committed, settled);
            Seek(stream.input, settled);
            return 0;
        }
        if (headerMode || content) settled = lineEnd;
        if (!more) break;
    }
    CopyRange(window, committed, at);
    Seek(stream.input, at);
    return 0;
}

namespace {

bool EndsLine(char c) { return c == '\n' || c == '\r'; }

bool WriteLineEnd(LineStream& stream) { return WriteText(stream, stream.lineEnd, lstrlenA(stream.lineEnd)); }

// Writes a line the edit adds, on a line of its own even when the text copied
// before it had no line end.
bool WriteLine(LineStream& stream, const char* text) {
    if (stream.lastWritten && !EndsLine(stream.lastWritten) && !WriteLineEnd(stream)) return false;
    return WriteText(stream, text, lstrlenA(text)) && WriteLineEnd(stream);
}

}  // namespace

int EditSection(HANDLE input, const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                HANDLE output) {
    HGLOBAL block = GlobalAlloc(GHND, kChunkSize);
    char* work = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!work) {
        if (block) GlobalFree(block);
        ShowOutOfMemory();
        return 0;  // nothing was written, so the target stays as it was
    }
    LineStream stream;
    StartLineStream(stream, input, output, work);

    char pattern[256] = "[";
    bool ok = AppendText(pattern, section) && AppendText(pattern, "]");
    if (ok && ScanLines(stream, pattern, true, nullptr)) {
        ScanLines(stream, lineKey ? lineKey : "", false, oldLine);
        if (newLine) ok = WriteLine(stream, newLine);
        if (ok) ScanLines(stream, nullptr, false, nullptr);
    } else if (ok) {
        // A missing section is added at the end, even with nothing to put in it.
        ok = WriteLineEnd(stream) && WriteText(stream, "[", 1) && WriteText(stream, section, lstrlenA(section)) &&
             WriteText(stream, "]", 1) && WriteLineEnd(stream);
        if (ok && newLine) ok = WriteLine(stream, newLine);
    }
    ok = ok && !stream.failed;
    GlobalUnlock(block);
    GlobalFree(block);
    return ok ? 1 : 0;
}

PreparedEdit::~PreparedEdit() {
    if (temp_[0]) DeleteFileA(temp_);
}

bool PreparedEdit::Commit() {
    // One rename puts the new text in place; until it succeeds the target is
    // untouched, so a failure never loses the file.
    if (!temp_[0] || !MoveFileExA(temp_, target_, MOVEFILE_REPLACE_EXISTING)) return false;
    temp_[0] = '\0';
    return true;
}

int PrepareTextEdit(const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine,
                    const char* path, PreparedEdit& edit) {
    char full[MAX_PATH];
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path, sizeof full, full, &filePart);
    if (n == 0 || n >= sizeof full || !filePart || !*filePart) return 0;

    HANDLE input = CreateFileA(full, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    // A target that exists but cannot be read is not taken for an empty file:
    // that would replace it with the new line alone.
    if (input == INVALID_HANDLE_VALUE && GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES) return 0;

    char directory[MAX_PATH];
    CopyTextN(directory, sizeof directory, full, filePart - full);
    char temp[MAX_PATH];
    HANDLE output = INVALID_HANDLE_VALUE;
    if (GetTempFileNameA(directory, filePart, 0, temp))
        output = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
        return 0;
    }

    int edited = EditSection(input, section, lineKey, newLine, oldLine, output);
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    CloseHandle(output);
    if (!edited) {
        DeleteFileA(temp);
        return 0;
    }
    CopyText(edit.temp_, temp);
    CopyText(edit.target_, full);
    return 1;
}
