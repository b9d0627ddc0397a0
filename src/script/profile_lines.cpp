#include "script/profile_lines.h"

#include <cstring>

namespace {

ProfileSpan Trimmed(const char* bytes, size_t begin, size_t end) {
    while (begin < end && IsProfileBlank(bytes[begin])) ++begin;
    while (end > begin && IsProfileBlank(bytes[end - 1])) --end;
    return {begin, end};
}

}  // namespace

bool IsProfileBlank(char c) { return (c >= '\t' && c <= '\r') || c == 0x1A || c == ' '; }

ProfileLine ReadProfileLine(const char* bytes, size_t size, size_t at) {
    ProfileLine line;
    line.line.begin = at;
    while (at < size && bytes[at] != '\r' && bytes[at] != '\n') ++at;
    line.line.end = at;
    if (at < size && bytes[at] == '\r') ++at;
    if (at < size && bytes[at] == '\n') ++at;
    line.next = at;
    line.text = Trimmed(bytes, line.line.begin, line.line.end);
    const ProfileSpan& text = line.text;
    if (!text.size()) return line;

    if (bytes[text.begin] == '[') {
        size_t close = text.end;
        while (close > text.begin + 1 && bytes[close - 1] != ']') --close;
        if (close > text.begin + 1) {
            line.kind = ProfileLineKind::Header;
            line.name = Trimmed(bytes, text.begin + 1, close - 1);
            return line;
        }
    }
    line.kind = ProfileLineKind::Key;
    line.comment = bytes[text.begin] == ';';
    const void* equals = std::memchr(bytes + text.begin, '=', text.size());
    line.hasEquals = equals != nullptr;
    if (!equals) {
        line.name = text;
        line.value = {text.end, text.end};
        return line;
    }
    size_t equalsAt = static_cast<size_t>(static_cast<const char*>(equals) - bytes);
    line.name = Trimmed(bytes, text.begin, equalsAt);
    line.value = Trimmed(bytes, equalsAt + 1, text.end);
    return line;
}

ProfileSpan FirstLineBreak(const char* bytes, size_t size) {
    for (size_t at = 0; at < size;) {
        const ProfileLine line = ReadProfileLine(bytes, size, at);
        if (line.next > line.line.end) return {line.line.end, line.next};
        at = line.next;
    }
    return {};
}
