#include "script_text.h"

namespace script {

namespace {

// The reader's blanks; 0x1A is the end-of-file mark of old editors.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A; }

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

Line ReadLine(const std::string& bytes, size_t begin, size_t end) {
    Line line;
    while (begin < end && IsBlank(bytes[begin])) ++begin;
    while (end > begin && IsBlank(bytes[end - 1])) --end;
    line.text = {begin, end};
    if (begin == end) return line;
    if (bytes[begin] == '[') {
        size_t close = bytes.rfind(']', end - 1);
        if (close != std::string::npos && close > begin) {
            line.isSection = true;
            line.name = bytes.substr(begin + 1, close - begin - 1);
            return line;
        }
    }
    size_t equals = bytes.find('=', begin);
    if (equals == std::string::npos || equals >= end || bytes[begin] == ';') return line;
    size_t keyEnd = equals;
    while (keyEnd > begin && IsBlank(bytes[keyEnd - 1])) --keyEnd;
    size_t valueBegin = equals + 1;
    while (valueBegin < end && IsBlank(bytes[valueBegin])) ++valueBegin;
    line.isEntry = true;
    line.key = {begin, keyEnd};
    line.value = {valueBegin, end};
    line.name = bytes.substr(begin, keyEnd - begin);
    return line;
}

}  // namespace

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s) c = LowerChar(c);
    return s;
}

bool Parse(std::string bytes, Text* out) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return false;
    out->lines.clear();
    out->sections.clear();
    out->lineEnd = "\r\n";
    // A byte-order mark of UTF-8 is no part of the first line.
    size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    size_t firstFeed = bytes.find('\n');
    if (firstFeed != std::string::npos && (firstFeed == 0 || bytes[firstFeed - 1] != '\r')) out->lineEnd = "\n";
    while (at < bytes.size()) {
        size_t feed = bytes.find('\n', at);
        size_t end = feed == std::string::npos ? bytes.size() : feed;
        out->lines.push_back(ReadLine(bytes, at, end));
        out->lines.back().whole = {at, feed == std::string::npos ? end : end + 1};
        if (out->lines.back().isSection) out->sections.emplace(Lower(out->lines.back().name), out->lines.size() - 1);
        at = end + 1;
    }
    out->bytes = std::move(bytes);
    return true;
}

Range FindSection(const Text& text, const char* name) {
    auto found = text.sections.find(Lower(name));
    if (found == text.sections.end()) return {};
    const size_t n = text.lines.size();
    size_t end = found->second + 1;
    while (end < n && !text.lines[end].isSection) ++end;
    return {found->second + 1, end, true};
}

std::string ValueOf(const Text& text, const Line& line) {
    std::string value = text.bytes.substr(line.value.begin, line.value.size());
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

std::vector<Field> SplitFields(const std::string& text, char separator) {
    constexpr size_t kMaxFields = 15;
    std::vector<Field> fields(1);
    bool justBroke = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (separator && c == separator) {
            if (justBroke) {  // the second of a pair takes the break back
                fields.pop_back();
                fields.back().text += separator;
                justBroke = false;
                continue;
            }
            if (fields.size() < kMaxFields) {
                fields.back().raw.end = i;
                fields.emplace_back();
                fields.back().raw.begin = i + 1;
                justBroke = true;
                continue;
            }
        }
        fields.back().text += c;
        justBroke = false;
    }
    fields.back().raw.end = text.size();
    return fields;
}

}  // namespace script
