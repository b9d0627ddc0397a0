#include "actions/line_scan.h"

#include <cstring>

#include "base/text.h"

bool WriteText(LineStream& stream, const char* text, uint32_t count) {
    if (count == 0) return true;
    if (stream.files->Write(text, count) != count) {
        stream.failed = true;
        return false;
    }
    stream.lastWritten = text[count - 1];
    return true;
}

namespace {

// Whether two texts are equal byte for byte once lowered through the table.
bool SameLowered(const unsigned char* lower, const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    for (; *x && lower[*x] == lower[*y]; ++x, ++y) {
    }
    return !*x && !*y;
}

// The part of the input that the work buffer holds, by file offset.
struct Window {
    LineStream& stream;
    uint32_t start;
    uint32_t length;

    bool Holds(uint32_t from, uint32_t to) const { return from >= start && to <= start + length; }
    bool Has(uint32_t at) const { return at >= start && at - start < length; }
    uint32_t Load(uint32_t at) { return Load(at, stream.chunk); }
    uint32_t Load(uint32_t at, uint32_t count) {
        stream.files->Seek(at);
        start = at;
        length = stream.files->Read(stream.work, count, &stream.failed);
        return length;
    }
};

// Writes the input's bytes [from, to): from the window when it holds them,
// otherwise read again from the file (which moves the window).
void CopyRange(Window& window, uint32_t from, uint32_t to) {
    if (from >= to) return;
    if (window.Holds(from, to)) {
        WriteText(window.stream, window.stream.work + (from - window.start), to - from);
        return;
    }
    while (from < to) {
        uint32_t want = to - from < window.stream.chunk ? to - from : window.stream.chunk;
        uint32_t got = window.Load(from, want);
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
    uint32_t at = stream.files->Tell();
    while (window.Load(at) > 0) {
        WriteText(stream, stream.work, window.length);
        at += window.length;
    }
}

// The input's bytes [from, to) into out, at most kCaptureLimit of them.
void CaptureRange(Window& window, uint32_t from, uint32_t to, TextBuffer& out) {
    out.Clear();
    if (to - from > kCaptureLimit) to = from + static_cast<uint32_t>(kCaptureLimit);
    if (!out.Reserve(to - from + 1)) {
        window.stream.failed = true;
        return;
    }
    while (from < to) {
        if (!window.Has(from) && window.Load(from) == 0) {
            window.stream.failed = true;
            return;
        }
        uint32_t available = window.start + window.length - from;
        uint32_t take = to - from < available ? to - from : available;
        out.Append(window.stream.work + (from - window.start), take);
        from += take;
    }
}

// The line end of the file's first line, read from its start: CR LF, LF or
// CR; CR LF when there is none. The input is put back at its start.
const char* FirstLineEnd(LineFiles& files, char* work, uint32_t chunk) {
    if (!files.HasInput()) return "\r\n";
    files.Seek(0);
    const char* found = nullptr;
    bool afterReturn = false;
    bool failed = false;
    for (uint32_t got; !found && (got = files.Read(work, chunk, &failed)) > 0;) {
        for (uint32_t i = 0; i < got && !found; ++i) {
            if (afterReturn) found = work[i] == '\n' ? "\r\n" : "\r";
            else if (work[i] == '\n') found = "\n";
            afterReturn = work[i] == '\r';
        }
    }
    files.Seek(0);
    return found ? found : afterReturn ? "\r" : "\r\n";
}

}  // namespace

void StartLineStream(LineStream& stream, LineFiles& files, char* work, uint32_t chunk, const unsigned char* lower) {
    stream.files = &files;
    stream.work = work;
    stream.chunk = chunk;
    stream.lower = lower;
    stream.lastWritten = 0;
    stream.failed = false;
    stream.lineEnd = FirstLineEnd(files, work, chunk);
}

// The walk goes through the input by offset, one line at a time, with the
// work buffer as a window onto it. Lines and matches that cross the end of a
// chunk therefore come out as within one chunk, and bytes whose place in the
// output is not settled yet (blank and comment lines after the last content
// line, or a line still being read) are kept in view only while that leaves
// room to move on; past that they are read again once their place is known.
int ScanLines(LineStream& stream, const char* pattern, bool headerMode, TextBuffer* capture) {
    if (pattern && (!pattern[0] || SameLowered(stream.lower, pattern, "[none]"))) return 1;
    if (!stream.files->HasInput()) return 0;
    if (!pattern) {
        CopyRest(stream);
        return 0;
    }

    const unsigned char* lower = stream.lower;
    const unsigned char* wanted = reinterpret_cast<const unsigned char*>(pattern);
    size_t patternLength = std::strlen(pattern);
    Window window{stream, 0, 0};
    uint32_t origin = stream.files->Tell();
    uint32_t committed = origin;  // written to the output up to here
    uint32_t settled = origin;    // may be written up to here: end of the last line that stays before any insertion
    uint32_t at = origin;

    // The byte at `at`; false at the end of the input.
    auto next = [&](unsigned char* c) -> bool {
        if (!window.Has(at)) {
            CopyRange(window, committed, settled);
            committed = settled;
            window.Load(at - committed < stream.chunk / 2 ? committed : at);
            if (!window.Has(at)) return false;
        }
        *c = static_cast<unsigned char>(stream.work[at - window.start]);
        return true;
    };

    unsigned char c;
    while (next(&c)) {
        uint32_t lineStart = at;
        bool comment = c == ';';
        bool content = c != ';' && c != '\r' && c != '\n';
        bool endsSection = !headerMode && c == '[';
        size_t matchedChars = 0;
        bool matched = false;
        uint32_t textEnd = at;
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
        uint32_t lineEnd = at;

        if (matched) {
            if (headerMode) {
                CopyRange(window, committed, lineEnd);
            } else {
                CopyRange(window, committed, lineStart);
                if (capture) CaptureRange(window, lineStart, textEnd, *capture);
            }
            stream.files->Seek(lineEnd);
            return 1;
        }
        if (endsSection) {
            // The blank and comment lines before the next header stay behind
            // any line inserted into this section.
            CopyRange(window, committed, settled);
            stream.files->Seek(settled);
            return 0;
        }
        if (headerMode || content) settled = lineEnd;
        if (!more) break;
    }
    CopyRange(window, committed, at);
    stream.files->Seek(at);
    return 0;
}

namespace {

bool EndsLine(char c) { return c == '\n' || c == '\r'; }

bool WriteLineEnd(LineStream& stream) { return WriteText(stream, stream.lineEnd, std::strlen(stream.lineEnd)); }

// Writes a line the edit adds, on a line of its own even when the text copied
// before it had no line end.
bool WriteLine(LineStream& stream, const char* text) {
    if (stream.lastWritten && !EndsLine(stream.lastWritten) && !WriteLineEnd(stream)) return false;
    return WriteText(stream, text, std::strlen(text)) && WriteLineEnd(stream);
}

}  // namespace

int EditLines(LineFiles& files, char* work, uint32_t chunk, const unsigned char* lower, const char* section,
              const char* lineKey, const char* newLine, TextBuffer* oldLine) {
    LineStream stream;
    StartLineStream(stream, files, work, chunk, lower);

    char pattern[256] = "[";
    bool ok = AppendText(pattern, section) && AppendText(pattern, "]");
    if (ok && ScanLines(stream, pattern, true, nullptr)) {
        ScanLines(stream, lineKey ? lineKey : "", false, oldLine);
        if (newLine) ok = WriteLine(stream, newLine);
        if (ok) ScanLines(stream, nullptr, false, nullptr);
    } else if (ok) {
        // A missing section is added at the end, even with nothing to put in it.
        ok = WriteLineEnd(stream) && WriteText(stream, "[", 1) && WriteText(stream, section, std::strlen(section)) &&
             WriteText(stream, "]", 1) && WriteLineEnd(stream);
        if (ok && newLine) ok = WriteLine(stream, newLine);
    }
    return ok && !stream.failed ? 1 : 0;
}

