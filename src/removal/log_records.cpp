#include "removal/log_records.h"

#include <cstdio>
#include <cstring>

#include "base/profile_text.h"
#include "base/text.h"

namespace {

const char* Text(const char* text) { return text ? text : ""; }

// Blanks as the profile reader drops them around keys and values.
bool Blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

// Doubles every character of `separators` in source. A pair is written whole
// or not at all, so a cut text never ends in half a pair.
bool DoubleSeparators(char* destination, size_t cap, const char* source, const char* separators) {
    if (cap == 0) return false;
    size_t used = 0;
    bool whole = true;
    for (const char* at = Text(source); *at; ++at) {
        size_t need = std::strchr(separators, *at) ? 2 : 1;
        if (used + need >= cap) {
            whole = false;
            // Half a UTF-8 sequence is taken back off: the text is cut
            // before the character that did not fit whole.
            for (; used && (static_cast<unsigned char>(*at) & 0xC0) == 0x80; --at) --used;
            break;
        }
        for (size_t i = 0; i < need; ++i) destination[used++] = *at;
    }
    destination[used] = '\0';
    return whole;
}

// Appends source with every character of `separators` doubled, up to the
// longest text a profile file carries (counted in UTF-16 units, as the
// platform counts it); false when it would be longer (with `cut`, as much
// as fits is appended, whole characters and whole pairs only).
bool AppendDoubled(TextBuffer& out, const char* source, const char* separators, bool cut = false) {
    size_t used = WideLength(out.Text(), out.Length());
    size_t room = kProfileTextLimit > used ? kProfileTextLimit - used : 0;
    TextBuffer doubled;
    size_t units = 0;
    bool whole = true;
    const char* text = Text(source);
    for (size_t at = 0; text[at];) {
        size_t next = at + 1;
        while ((static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
        bool pair = next == at + 1 && std::strchr(separators, text[at]);
        size_t need = WideLength(text + at, next - at) * (pair ? 2 : 1);
        if (units + need > room) {
            whole = false;
            break;
        }
        units += need;
        if (!doubled.Append(text + at, next - at) || (pair && !doubled.Append(text + at, 1))) return false;
        at = next;
    }
    if (!whole && !cut) return false;
    return out.Append(doubled.Text(), doubled.Length()) && whole;
}

// The fields of a key joined on a separator, each with the separator
// doubled, and also '%' in the fields from `expandedFrom` on (they are
// expanded when read back). Two things read back otherwise: an empty field
// between two others (its two separators read as one literal one) and a
// field after the first that starts with the separator (its pair joins the
// break before it).
bool AppendFields(TextBuffer& out, const char* const* fields, int count, char separator, int expandedFrom = 99) {
    const char plain[] = {separator, '\0'};
    const char expanded[] = {separator, '%', '\0'};
    for (int i = 0; i < count; ++i) {
        const char* field = Text(fields[i]);
        if (i > 0) {
            if (field[0] == separator || (field[0] == '\0' && i + 1 < count)) return false;
            if (!out.Append(&separator, 1)) return false;
        }
        if (!AppendDoubled(out, field, i >= expandedFrom ? expanded : plain)) return false;
    }
    return true;
}

// A key reads back as written only when the reader keeps it whole: not empty,
// no '=' (which ends it), no line break, no blank at either end (dropped),
// not starting with ';' (a comment) or '[' (a section's header).
bool CarriedKey(const TextBuffer& key) {
    const char* text = key.Text();
    size_t length = key.Length();
    return length > 0 && WideLength(text, length) <= kProfileTextLimit && std::strlen(text) == length &&
           !std::strpbrk(text, "=\r\n") && text[0] != ';' && text[0] != '[' && !Blank(text[0]) &&
           !Blank(text[length - 1]);
}

// The profile reader drops blanks around a value and one pair of enclosing
// quotes: a value that starts or ends with a blank, or starts with a quote,
// is written inside double quotes, which the reader takes off again.
bool NeedsQuotes(const char* text, size_t length) {
    return length > 0 && (Blank(text[0]) || Blank(text[length - 1]) || text[0] == '"' || text[0] == '\'');
}

// A value read back as the first value field of an entry: `separators`
// doubled, and quoted where the reader would change it. False when it holds
// a line break or does not fit a profile value.
bool SetValue(TextBuffer& value, const char* text, const char* separators, bool cut = false) {
    text = Text(text);
    value.Clear();
    if (std::strpbrk(text, "\r\n")) return false;
    if (!NeedsQuotes(text, std::strlen(text))) return AppendDoubled(value, text, separators, cut);
    return value.Append("\"") && AppendDoubled(value, text, separators) && value.Append("\"") &&
           WideLength(value.Text(), value.Length()) <= kProfileTextLimit;
}

bool Finish(LogRecord& out, const char* section) {
    out.section = section;
    return CarriedKey(out.key);
}

}  // namespace

const char* const kRegistryTypeSuffixes[4] = {nullptr, ":REG_DWORD", ":REG_BINARY", ":REG_MULTI_SZ"};

bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator) {
    const char separators[] = {separator, '\0'};
    return DoubleSeparators(destination, cap, source, separators);
}

bool CanRecordOldText(const char* old, size_t length) {
    if (!old || std::strlen(old) != length) return false;
    TextBuffer value;
    return SetValue(value, old, "/%");
}

// A restoring copy is read back as a copy entry: the disk, ':', the target
// as the script wrote it (cut on '\' and expanded when read). A deletion is
// read whole and cut on '\' by the deletion itself; a path taken as it
// stands has its '%' doubled, since each part is expanded.
bool ComposeRecord(FileRecord kind, const char* path, const char* description, LogRecord& out) {
    out.key.Clear();
    // The description only names the file: as far as it fits.
    if (!SetValue(out.value, description, "/", true)) return false;
    if (kind == RestoreCopy) {
        const char* fields[] = {"1", path};
        return AppendFields(out.key, fields, 2, ':') && Finish(out, "step1");
    }
    return AppendDoubled(out.key, path, kind == RemoveFileAtPath ? "%" : "") && Finish(out, "del.step2");
}

// Read back by the INI or text line entry: the file as the script wrote it,
// the section and the key expanded; the old value is the entry's value.
bool ComposeRecord(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old,
                   LogRecord& out) {
    out.key.Clear();
    const char* fields[] = {file, section, key};
    return AppendFields(out.key, fields, 3, '|', 1) && SetValue(out.value, old, "/%") &&
           Finish(out, kind == IniValue ? "ini.step1" : "str.step1");
}

// Read back by the registry entry: the key path as the script wrote it, the
// value name expanded, and the type after the first ':' of the name when an
// 'R' follows it. A name with a ':' cannot carry a type behind it, and one
// whose first ':' is followed by 'R' would read as a type.
bool RegistryRecordKey(const char* keyPath, const char* valueName, const char* suffix, TextBuffer& key) {
    key.Clear();
    const char* colon = std::strchr(Text(valueName), ':');
    if (colon && (suffix || colon[1] == 'R')) return false;
    // An empty name is the key's default value: the last field may be empty.
    const char* fields[] = {keyPath, valueName};
    return AppendFields(key, fields, 2, '|', 1) && (!suffix || key.Append(suffix)) &&
           WideLength(key.Text(), key.Length()) <= kProfileTextLimit;
}

namespace {

bool RegistryRecord(const char* keyPath, const char* valueName, const char* suffix, const char* value,
                    const char* separators, LogRecord& out) {
    return RegistryRecordKey(keyPath, valueName, suffix, out.key) && SetValue(out.value, value, separators) &&
           Finish(out, "reg.step1");
}

}  // namespace

bool ComposeRecord(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old,
                   LogRecord& out) {
    const char* suffix = kind == RegistryBinary ? kRegistryTypeSuffixes[2]
                         : kind == RegistryMultiString ? kRegistryTypeSuffixes[3]
                                                       : nullptr;
    return RegistryRecord(keyPath, valueName, suffix, old, "/%", out);
}

bool ComposeRecord(RegistryNumberRecord, const char* keyPath, const char* valueName, unsigned long old,
                   LogRecord& out) {
    char number[16];
    std::snprintf(number, sizeof number, "%lX", old & 0xFFFFFFFFUL);
    return RegistryRecord(keyPath, valueName, kRegistryTypeSuffixes[1], number, "", out);
}

// Read back by the path visitor: the name cut on '/' (a condition follows
// it), the value cut on ';' (a prompt follows it) and expanded.
bool ComposeRecord(VariableRecord, const char* name, const char* value, LogRecord& out) {
    out.key.Clear();
    const char* fields[] = {name};
    return AppendFields(out.key, fields, 1, '/') && SetValue(out.value, value, ";%") && Finish(out, "path");
}

bool ComposeRecord(MadeRecord kind, const char* path, LogRecord& out) {
    out.key.Clear();
    if (kind == MadeDirectory) {
        // Read back as a deletion path, expanded on '%'.
        return AppendDoubled(out.key, path, "%") && out.value.Assign(kMadeDirectoryText) && Finish(out, "del.step3");
    }
    // Read back as a registry entry: '|' ends the key path, and the type
    // follows an empty value name. The path's pieces are looked up as whole
    // names, and a ':' in it would start a key class.
    if (std::strchr(Text(path), ':')) return false;
    const char* fields[] = {path};
    return AppendFields(out.key, fields, 1, '|') && out.key.Append("|:") && out.key.Append(kRemoveEmptyKeysType) &&
           out.value.Assign(kMadeKeyText) && Finish(out, "reg.step3");
}
