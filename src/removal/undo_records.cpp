#include "removal/undo_records.h"

#include <cstring>

namespace {

struct KindName {
    UndoKind kind;
    const char* name;
    int fields;
};
const KindName kKinds[] = {
    {UndoKind::Start, "start", 1},  {UndoKind::Log, "log", 1},       {UndoKind::NewFile, "new", 1},
    {UndoKind::Aside, "aside", 2},  {UndoKind::Folder, "folder", 1}, {UndoKind::Value, "value", 4},
    {UndoKind::Key, "key", 1},      {UndoKind::Commit, "commit", 0},
};

const KindName* Find(UndoKind kind) {
    for (const KindName& k : kKinds)
        if (k.kind == kind) return &k;
    return nullptr;
}

bool AppendEscaped(TextBuffer& out, const char* text) {
    for (const char* at = text; *at; ++at) {
        const char* escape = *at == '\\' ? "\\\\" : *at == '\t' ? "\\t" : *at == '\r' ? "\\r" : *at == '\n' ? "\\n" : nullptr;
        if (!(escape ? out.Append(escape) : out.Append(at, 1))) return false;
    }
    return true;
}

// Unescapes the field that starts at `at` in place, up to a tab or the end;
// the next field's start (or null at the end), or `at` itself on a bad escape.
char* Unescape(char* at, bool* bad) {
    char* out = at;
    for (;;) {
        char c = *at;
        if (c == '\0' || c == '\t') {
            *out = '\0';
            return c == '\t' ? at + 1 : nullptr;
        }
        if (c == '\\') {
            char e = at[1];
            c = e == '\\' ? '\\' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : '\0';
            if (!c) {
                *bad = true;
                return nullptr;
            }
            ++at;
        }
        *out++ = c;
        ++at;
    }
}

int HexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

}  // namespace

bool ComposeUndoLine(UndoKind kind, std::initializer_list<const char*> fields, TextBuffer& out) {
    const KindName* k = Find(kind);
    if (!k || static_cast<int>(fields.size()) != k->fields || !out.Append(k->name)) return false;
    for (const char* field : fields)
        if (!out.Append("\t") || !AppendEscaped(out, field)) return false;
    return out.Append("\r\n");
}

bool ParseUndoLine(char* line, UndoLine& out) {
    char* tab = std::strchr(line, '\t');
    size_t nameLength = tab ? static_cast<size_t>(tab - line) : std::strlen(line);
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds)
        if (std::strlen(k.name) == nameLength && std::strncmp(line, k.name, nameLength) == 0) kind = &k;
    if (!kind) return false;
    out.kind = kind->kind;
    out.count = 0;
    bool bad = false;
    for (char* at = tab ? tab + 1 : nullptr; at && !bad;) {
        if (out.count == kUndoFields) return false;
        out.fields[out.count++] = at;
        at = Unescape(at, &bad);
    }
    return !bad && out.count == kind->fields;
}

bool HexOfBytes(const unsigned char* data, unsigned long length, TextBuffer& out) {
    static const char kDigits[] = "0123456789abcdef";
    out.Clear();
    if (!out.Reserve(2 * static_cast<size_t>(length) + 1)) return false;
    for (unsigned long i = 0; i < length; ++i) {
        char pair[2] = {kDigits[data[i] >> 4], kDigits[data[i] & 15]};
        out.Append(pair, 2);
    }
    return out.Append("");
}

bool BytesOfHex(const char* text, TextBuffer& out) {
    out.Clear();
    size_t length = std::strlen(text);
    if (length % 2 || !out.Reserve(length / 2 + 1)) return false;
    for (size_t i = 0; i < length; i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        char byte = static_cast<char>(high * 16 + low);
        out.Append(&byte, 1);
    }
    return true;
}
