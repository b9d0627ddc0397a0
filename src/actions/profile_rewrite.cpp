#include "actions/profile_rewrite.h"

#include <cstring>

#include "script/profile_lines.h"

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct Piece {
    const char* start = nullptr;
    size_t length = 0;
};

Piece Trimmed(const char* start, size_t length) {
    while (length && IsProfileBlank(*start)) ++start, --length;
    while (length && IsProfileBlank(start[length - 1])) --length;
    return {start, length};
}

bool Same(Piece a, Piece b) { return a.length == b.length && (!a.length || std::memcmp(a.start, b.start, a.length) == 0); }

bool SameFolded(Piece a, const char* text) {
    Piece b = Trimmed(text, std::strlen(text));
    if (a.length != b.length) return false;
    for (size_t i = 0; i < a.length; ++i)
        if (Fold(a.start[i]) != Fold(b.start[i])) return false;
    return true;
}

// One line as the profile functions read it: a section's header, or a line
// with its name and value (a line without '=' is all name).
struct Line {
    bool header = false;
    bool hasValue = false;
    Piece name, value;
    bool Equals(const Line& other) const {
        return header == other.header && hasValue == other.hasValue && Same(name, other.name) &&
               Same(value, other.value);
    }
};

// The non-blank lines of a file, one after the other, with the section each
// lies in and whether that is the first section of the write's name.
class Lines {
public:
    Lines(const char* text, size_t length, const ProfileWrite& write) : text_(text), size_(length), write_(write) {}

    // The next line; false at the end.
    bool Next() {
        while (at_ < size_) {
            const ProfileLine line = ReadProfileLine(text_, size_, at_);
            at_ = line.next;
            if (line.kind == ProfileLineKind::Blank) continue;
            Read(line);
            return true;
        }
        return false;
    }
    const Line& line() const { return line_; }
    // The line is the write's key in the first section of its name.
    bool IsKeyOfWrite() const { return inTarget_ && !line_.header && SameFolded(line_.name, write_.key); }
    bool inTarget() const { return inTarget_; }
    bool sawTarget() const { return sawTarget_; }

private:
    void Read(const ProfileLine& line) {
        line_ = Line();
        line_.header = line.kind == ProfileLineKind::Header;
        line_.hasValue = line.hasEquals;
        line_.name = {text_ + line.name.begin, line.name.size()};
        line_.value = {text_ + line.value.begin, line.value.size()};
        if (line_.header) {
            inTarget_ = !sawTarget_ && SameFolded(line_.name, write_.section);
            sawTarget_ = sawTarget_ || inTarget_;
        }
    }

    const char* text_;
    size_t size_;
    size_t at_ = 0;
    const ProfileWrite& write_;
    Line line_;
    bool inTarget_ = false;
    bool sawTarget_ = false;
};

bool HasNewValue(const Line& line, const ProfileWrite& write) {
    const char* value = write.value ? write.value : "";
    Piece wanted = Trimmed(value, std::strlen(value));
    return line.hasValue && Same(line.value, wanted);
}

}  // namespace

bool RewriteIsWhole(const char* before, size_t beforeLength, const char* after, size_t afterLength,
                    const ProfileWrite& write) {
    bool deleting = !write.value || !*write.value;
    Lines old(before, beforeLength, write), now(after, afterLength, write);
    bool oldMore = old.Next(), nowMore = now.Next();
    bool oldKeySkipped = false;
    int newLines = 0;
    while (oldMore || nowMore) {
        // The key's first line in the old file is the one the write replaced.
        if (oldMore && !oldKeySkipped && old.IsKeyOfWrite()) {
            oldKeySkipped = true;
            oldMore = old.Next();
            continue;
        }
        // Its new line may stand anywhere in the section, once.
        if (nowMore && !deleting && newLines == 0 && now.IsKeyOfWrite()) {
            if (!HasNewValue(now.line(), write)) return false;
            ++newLines;
            nowMore = now.Next();
            continue;
        }
        // A section the old file did not have comes at the end, header first.
        if (!oldMore && !old.sawTarget() && nowMore && now.line().header && now.inTarget()) {
            nowMore = now.Next();
            continue;
        }
        if (!oldMore || !nowMore || !old.line().Equals(now.line())) return false;
        oldMore = old.Next();
        nowMore = now.Next();
    }
    return deleting || newLines == 1;
}
