#include "script/variables.h"

#include <cstring>

#include "base/script_tables.h"
#include "base/text.h"
#include "script/directories.h"
#include "script/fields.h"

namespace {

// Names compare byte for byte: the platform's lstrcmpA is linguistic and
// holds "ss" equal to a sharp s, which would merge two distinct variables.
bool SameName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Built-in names ignore letter case; ASCII folding only, so no linguistic
// equivalence can make another text pass for one of them.
bool SameNameNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
        if (!x) return true;
    }
}

}  // namespace

const ScriptVariable* FindVariable(const char* name) {
    // An empty piece or alternative is never a variable: a row with an empty
    // name would otherwise land around every %Name% of every text.
    if (!gTables || !name || !*name) return nullptr;
    for (int i = 0; i < gTables->variableCount && i < kMaxVariables; ++i)
        if (SameName(gTables->variables[i].name, name)) return &gTables->variables[i];
    return nullptr;
}

ScriptVariable* AppendVariable(const char* name) {
    if (!gTables || gTables->variableCount >= kMaxVariables) return nullptr;
    ScriptVariable* row = &gTables->variables[gTables->variableCount++];
    CopyText(row->name, name);
    row->value[0] = '\0';
    row->asked = false;
    return row;
}

bool IsBuiltInName(const char* name) {
    static const char* const kBuiltIn[] = {"WinDir", "WinDisk", "SysDir", "SysDisk", "InstDir"};
    for (const char* builtIn : kBuiltIn)
        if (SameNameNoCase(name, builtIn)) return true;
    return false;
}

namespace {

// Value of a built-in name into out; false when the piece is no built-in name.
bool BuiltIn(const char* piece, char (&out)[kPathSize]) {
    char directory[kPathSize] = "";
    bool windows = SameNameNoCase(piece, "WinDir") || SameNameNoCase(piece, "WinDisk");
    bool system = SameNameNoCase(piece, "SysDir") || SameNameNoCase(piece, "SysDisk");
    if (windows) GetBuiltInDirectory(BuiltInDirectory::Windows, directory, sizeof directory);
    else if (system) GetBuiltInDirectory(BuiltInDirectory::System, directory, sizeof directory);
    else if (SameNameNoCase(piece, "InstDir")) GetBuiltInDirectory(BuiltInDirectory::Media, directory, sizeof directory);
    else return false;

    if (SameNameNoCase(piece, "WinDisk") || SameNameNoCase(piece, "SysDisk")) {
        CopyTextN(out, sizeof out, directory, 2);
        return true;
    }
    size_t n = std::strlen(directory);
    if (n && directory[n - 1] == '\\') directory[n - 1] = '\0';
    CopyText(out, directory);
    return true;
}

// Expands text piece by piece into `append`, which answers false once the
// result no longer fits. Every piece is still looked up, so a cut result is
// cut the same way whatever comes after it.
template <typename Append>
bool ExpandPieces(char* text, bool split, Append append) {
    char* pieces[64];
    int count = 1;
    pieces[0] = text;
    pieces[1] = nullptr;
    if (split) SplitFields(text, pieces, &count, '%', 64);
    bool whole = true;
    for (int i = 0; i < count; ++i) {
        char value[kPathSize];
        const char* add = pieces[i];
        if (BuiltIn(pieces[i], value)) add = value;
        else if (const ScriptVariable* v = FindVariable(pieces[i])) add = v->value;
        whole = append(add) && whole;
    }
    return whole;
}

}  // namespace

bool ExpandText(char* text, char* out, size_t cap, bool split) {
    if (cap) out[0] = '\0';
    // Nothing goes behind a cut piece: a cut ends on a whole character, and
    // may leave room that a later piece would fill.
    bool fits = true;
    return ExpandPieces(text, split, [&](const char* add) { return fits = fits && AppendText(out, cap, add); });
}

bool ExpandText(char* text, TextBuffer& out, size_t limit, bool split) {
    out.Clear();
    // The limit counts characters (UTF-16 units), as the platform does.
    return ExpandPieces(text, split,
                        [&](const char* add) {
                            return out.Append(add) &&
                                   (out.Length() <= limit || WideLength(out.Text(), out.Length()) <= limit);
                        });
}
