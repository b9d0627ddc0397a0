#include "actions/line_scan.h"

#include <cstring>

#include "base/text.h"
#include "base/utf.h"

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


namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16Mark[] = "\xFF\xFE";

// A file with a UTF-8 mark seen from behind its mark: the scanner never sees
// the mark, and the output gets it first.
class BehindMark : public LineFiles {
public:
    explicit BehindMark(LineFiles& file) : file_(file) {}
    bool HasInput() override { return file_.HasInput(); }
    uint32_t Read(char* buffer, uint32_t count, bool* failed) override { return file_.Read(buffer, count, failed); }
    void Seek(uint32_t at) override { file_.Seek(at + kMark); }
    uint32_t Tell() override { return file_.Tell() - kMark; }
    uint32_t Write(const char* buffer, uint32_t count) override { return file_.Write(buffer, count); }

private:
    static constexpr uint32_t kMark = sizeof kUtf8Mark - 1;
    LineFiles& file_;
};

// A UTF-16LE file seen as UTF-8 text: read whole and converted, edited in
// memory, and converted back when the edit is done. The scanner's offsets are
// offsets into the UTF-8 text.
class AsUtf8 : public LineFiles {
public:
    explicit AsUtf8(LineFiles& file) : file_(file) {}
    // Reads the input behind its mark; false when it cannot be read or is
    // not UTF-16 that converts exactly.
    bool Load(char* work, uint32_t chunk) {
        if (!file_.HasInput()) return true;
        std::string bytes;
        bool failed = false;
        file_.Seek(sizeof kUtf16Mark - 1);
        for (uint32_t got; (got = file_.Read(work, chunk, &failed)) > 0;) bytes.append(work, got);
        return !failed && Utf16ToUtf8(bytes.data(), bytes.size(), text_);
    }
    // Writes the mark and the output as UTF-16LE; false when a write fell short.
    bool Flush() {
        std::string bytes(kUtf16Mark, sizeof kUtf16Mark - 1);
        if (!Utf8ToUtf16(out_.data(), out_.size(), bytes)) return false;
        for (size_t at = 0; at < bytes.size();) {
            uint32_t piece = bytes.size() - at < kChunkSize ? static_cast<uint32_t>(bytes.size() - at) : kChunkSize;
            if (file_.Write(bytes.data() + at, piece) != piece) return false;
            at += piece;
        }
        return true;
    }
    bool HasInput() override { return file_.HasInput(); }
    uint32_t Read(char* buffer, uint32_t count, bool*) override {
        size_t left = at_ < text_.size() ? text_.size() - at_ : 0;
        uint32_t take = left < count ? static_cast<uint32_t>(left) : count;
        if (take) std::memcpy(buffer, text_.data() + at_, take);
        at_ += take;
        return take;
    }
    void Seek(uint32_t at) override { at_ = at; }
    uint32_t Tell() override { return static_cast<uint32_t>(at_); }
    uint32_t Write(const char* buffer, uint32_t count) override {
        out_.append(buffer, count);
        return count;
    }

private:
    LineFiles& file_;
    std::string text_, out_;
    size_t at_ = 0;
};

bool StartsWith(const char* bytes, uint32_t length, const char* mark) {
    size_t n = std::strlen(mark);
    return length >= n && std::memcmp(bytes, mark, n) == 0;
}

}  // namespace

LineEncoding InputEncoding(LineFiles& files, bool* empty) {
    *empty = true;
    if (!files.HasInput()) return LineEncoding::kAnsi;
    char start[3];
    bool failed = false;
    files.Seek(0);
    uint32_t got = 0;
    for (uint32_t n; got < sizeof start && (n = files.Read(start + got, sizeof start - got, &failed)) > 0;) got += n;
    files.Seek(0);
    // A file that could not be read is not taken for an empty one.
    *empty = got == 0 && !failed;
    if (StartsWith(start, got, kUtf8Mark)) return LineEncoding::kUtf8;
    if (StartsWith(start, got, kUtf16Mark)) return LineEncoding::kUtf16;
    return LineEncoding::kAnsi;
}

bool Utf16ToUtf8(const char* bytes, size_t length, std::string& out) {
    if (length % 2) return false;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes);
    out.reserve(out.size() + length);
    for (size_t i = 0; i < length; i += 2) {
        uint32_t unit = at[i] | at[i + 1] << 8;
        if (unit >= 0xDC00 && unit < 0xE000) return false;
        if (unit >= 0xD800 && unit < 0xDC00) {
            uint32_t low = i + 3 < length ? (at[i + 2] | at[i + 3] << 8) : 0;
            if (low < 0xDC00 || low >= 0xE000) return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(unit, out);
    }
    return true;
}

bool Utf8ToUtf16(const char* text, size_t length, std::string& out) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    out.reserve(out.size() + 2 * length);
    for (size_t i = 0; i < length;) {
        uint32_t lead = at[i];
        int more = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                                                                 : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        if (more < 0 || i + more >= length) return false;
        uint32_t code = more ? lead & (0x3F >> more) : lead;
        for (int k = 1; k <= more; ++k) {
            if ((at[i + k] & 0xC0) != 0x80) return false;
            code = code << 6 | (at[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF do not convert.
        static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[more] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return false;
        AppendUtf16(code, true, out);
        i += more + 1;
    }
    return true;
}

int EditEncodedLines(LineFiles& files, LineEncoding encoding, char* work, uint32_t chunk, const unsigned char* lower,
                     const char* section, const char* lineKey, const char* newLine, TextBuffer* oldLine) {
    if (encoding == LineEncoding::kAnsi)
        return EditLines(files, work, chunk, lower, section, lineKey, newLine, oldLine);
    unsigned char ascii[256];
    for (int i = 0; i < 256; ++i) ascii[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    bool empty = false;
    bool marked = InputEncoding(files, &empty) == encoding;
    if (!empty && !marked) return 0;  // a file of another encoding is not written over with this one
    if (encoding == LineEncoding::kUtf8) {
        BehindMark behind(files);
        if (behind.Write(kUtf8Mark, sizeof kUtf8Mark - 1) != sizeof kUtf8Mark - 1) return 0;
        if (marked) behind.Seek(0);
        LineFiles& input = marked ? static_cast<LineFiles&>(behind) : files;
        return EditLines(input, work, chunk, ascii, section, lineKey, newLine, oldLine);
    }
    AsUtf8 text(files);
    if (marked && !text.Load(work, chunk)) return 0;
    if (marked) text.Seek(0);
    return EditLines(text, work, chunk, ascii, section, lineKey, newLine, oldLine) && text.Flush() ? 1 : 0;
}
