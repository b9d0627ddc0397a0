// The text-line scanner over a file in memory, read a few bytes at a time so
// that lines, matches and kept lines cross the ends of chunks, against a
// plain model of the edit that works on whole lines: the input gives the
// chunk size, the section, the line key, the new line and the file.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "actions/line_scan.h"
#include "fuzz_input.h"

namespace {

class MemoryFiles : public LineFiles {
public:
    MemoryFiles(const std::string* input) : input_(input) {}
    bool HasInput() override { return input_ != nullptr; }
    uint32_t Read(char* buffer, uint32_t count, bool*) override {
        uint32_t left = at_ < input_->size() ? static_cast<uint32_t>(input_->size() - at_) : 0;
        uint32_t n = count < left ? count : left;
        std::memcpy(buffer, input_->data() + at_, n);
        at_ += n;
        return n;
    }
    void Seek(uint32_t at) override { at_ = at; }
    uint32_t Tell() override { return at_; }
    uint32_t Write(const char* buffer, uint32_t count) override {
        output.append(buffer, count);
        return count;
    }
    std::string output;

private:
    const std::string* input_;
    uint32_t at_ = 0;
};

unsigned char lower[256];

struct Line {
    size_t start, textEnd, end;
};

std::vector<Line> Lines(const std::string& text) {
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();) {
        size_t start = at;
        while (at < text.size() && text[at] != '\r' && text[at] != '\n') ++at;
        size_t textEnd = at;
        if (at < text.size()) at += text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
        lines.push_back({start, textEnd, at});
    }
    return lines;
}

bool Same(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

// Whether the line holds the pattern, the way the scanner counts: a byte
// that breaks a partial match is not tried as the pattern's first.
bool Holds(const std::string& text, const Line& line, const std::string& pattern) {
    if (line.start < line.textEnd && text[line.start] == ';') return false;
    size_t matched = 0;
    for (size_t i = line.start; i < line.textEnd; ++i) {
        if (lower[static_cast<unsigned char>(text[i])] == lower[static_cast<unsigned char>(pattern[matched])]) {
            if (++matched == pattern.size()) return true;
        } else {
            matched = 0;
        }
    }
    return false;
}

bool FoundAtOnce(const std::string& pattern) { return pattern.empty() || Same(pattern, "[none]"); }

struct Edit {
    int result;
    std::string output;
    bool replaced;
    std::string oldLine;
};

Edit Model(const std::string* file, const std::string& section, const std::string& key, const std::string* newLine) {
    Edit edit{1, "", false, ""};
    if (section.size() > 253) return Edit{0, "", false, ""};
    const std::string empty;
    const std::string& text = file ? *file : empty;
    std::vector<Line> lines = Lines(text);
    std::string lineEnd = "\r\n";
    for (const Line& line : lines)
        if (line.end > line.textEnd) {
            lineEnd = text.substr(line.textEnd, line.end - line.textEnd);
            break;
        }
    std::string pattern = "[" + section + "]";
    bool found = FoundAtOnce(pattern);
    size_t at = 0;
    for (size_t i = 0; !found && file && i < lines.size(); ++i)
        if (Holds(text, lines[i], pattern)) found = true, at = lines[i].end;
    if (!found) {
        edit.output = text + lineEnd + pattern + lineEnd + (newLine ? *newLine + lineEnd : "");
        return edit;
    }
    edit.output = text.substr(0, at);
    size_t rest = at;
    if (!FoundAtOnce(key) && file) {
        size_t settled = at;
        rest = text.size();
        for (const Line& line : lines) {
            if (line.start < at) continue;
            if (Holds(text, line, key)) {
                edit.replaced = true;
                edit.oldLine = text.substr(line.start, std::min(line.textEnd - line.start, kCaptureLimit));
                edit.output += text.substr(at, line.start - at);
                rest = line.end;
                break;
            }
            if (text[line.start] == '[') {
                rest = settled;
                break;
            }
            if (line.textEnd > line.start && text[line.start] != ';') settled = line.end;
        }
        if (!edit.replaced) edit.output += text.substr(at, rest - at);
    }
    if (newLine) {
        char last = edit.output.empty() ? '\0' : edit.output.back();
        if (last && last != '\r' && last != '\n') edit.output += lineEnd;
        edit.output += *newLine + lineEnd;
    }
    edit.output += text.substr(rest);
    return edit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int i = 0; i < 256; ++i) lower[i] = (i >= 'A' && i <= 'Z') || (i >= 0xC0 && i <= 0xDE && i != 0xD7) ? i + 32 : i;
    FuzzInput input(data, size);
    static const uint32_t kChunks[] = {1, 2, 3, 4, 5, 7, 8, 13, 16, 31, 64, kChunkSize};
    uint8_t pick = input.Byte();
    uint32_t chunk = kChunks[pick % 12];
    bool missing = pick & 0x80, deletes = pick & 0x40;
    std::string section = input.Text(), key = input.Text(), newLine = input.Text();
    std::string file = input.Rest();

    MemoryFiles files(missing ? nullptr : &file);
    std::unique_ptr<char[]> work(new char[chunk]);
    TextBuffer oldLine;
    oldLine.Assign("<untouched>");
    int result = EditLines(files, work.get(), chunk, lower, section.c_str(), key.c_str(),
                           deletes ? nullptr : newLine.c_str(), &oldLine);
    Edit expected = Model(missing ? nullptr : &file, section, key, deletes ? nullptr : &newLine);
    if (result != expected.result) __builtin_trap();
    if (result && files.output != expected.output) __builtin_trap();
    std::string captured(oldLine.Text(), oldLine.Length());
    if (result && captured != (expected.replaced ? expected.oldLine : "<untouched>")) __builtin_trap();

    // The same edit of the file (when it is UTF-8) kept as UTF-16LE: the
    // output is the model's, in UTF-16LE behind the mark, letter case
    // ignored for A-Z only. A file that is not UTF-16 throughout is refused.
    std::string wide("\xFF\xFE"), unused;
    bool texts = Utf8ToUtf16(section.data(), section.size(), unused) && Utf8ToUtf16(key.data(), key.size(), unused) &&
                 Utf8ToUtf16(newLine.data(), newLine.size(), unused);
    if (!texts) return 0;
    bool wellFormed = Utf8ToUtf16(file.data(), file.size(), wide);
    if (!wellFormed) wide += file.substr(0, 1);  // an odd byte count
    for (int i = 0; i < 256; ++i) lower[i] = i >= 'A' && i <= 'Z' ? i + 32 : i;
    MemoryFiles wideFiles(missing ? nullptr : &wide);
    TextBuffer wideOld;
    wideOld.Assign("<untouched>");
    result = EditEncodedLines(wideFiles, LineEncoding::kUtf16, work.get(), chunk, lower, section.c_str(), key.c_str(),
                              deletes ? nullptr : newLine.c_str(), &wideOld);
    if (!missing && !wellFormed) {
        if (result) __builtin_trap();
        return 0;
    }
    expected = Model(missing ? nullptr : &file, section, key, deletes ? nullptr : &newLine);
    std::string wideExpected("\xFF\xFE");
    if (result != expected.result) __builtin_trap();
    if (result && (!Utf8ToUtf16(expected.output.data(), expected.output.size(), wideExpected) ||
                   wideFiles.output != wideExpected))
        __builtin_trap();
    captured.assign(wideOld.Text(), wideOld.Length());
    if (result && captured != (expected.replaced ? expected.oldLine : "<untouched>")) __builtin_trap();
    return 0;
}
