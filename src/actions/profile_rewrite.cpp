#include "actions/profile_rewrite.h"

#include <cstring>

namespace {

bool Blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct Piece {
    const char* start = nullptr;
    size_t length = 0;
};

Piece Trimmed(const char* start, size_t length) {
    while (length && Blank(*start)) ++start, --length;
    while (length && Blank(start[length - 1])) --length;
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
    Lines(const char* text, size_t length, const ProfileWrite& write) : at_(text), end_(text + length), write_(write) {}

    // The next line; false at the end.
    bool Next() {
        while (at_ < end_) {
            const char* start = at_;
            while (at_ < end_ && *at_ != '\r' && *at_ != '\n') ++at_;
            Piece text = Trimmed(start, static_cast<size_t>(at_ - start));
            while (at_ < end_ && (*at_ == '\r' || *at_ == '\n')) ++at_;
            if (!text.length) continue;
            Read(text);
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
    void Read(Piece text) {
        line_ = Line();
        const char* close = nullptr;
        if (text.start[0] == '[')
            for (size_t i = text.length; i > 1 && !close; --i)
                if (text.start[i - 1] == ']') close = text.start + i - 1;
        if (close) {
            line_.header = true;
            line_.name = Trimmed(text.start + 1, static_cast<size_t>(close - text.start - 1));
            inTarget_ = !sawTarget_ && SameFolded(line_.name, write_.section);
            sawTarget_ = sawTarget_ || inTarget_;
            return;
        }
        const char* equals = static_cast<const char*>(std::memchr(text.start, '=', text.length));
        line_.hasValue = equals != nullptr;
        line_.name = Trimmed(text.start, equals ? static_cast<size_t>(equals - text.start) : text.length);
        if (equals) line_.value = Trimmed(equals + 1, static_cast<size_t>(text.start + text.length - equals - 1));
    }

    const char* at_;
    const char* end_;
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
