// Expansion of %Name% pieces, both ways and into both kinds of output,
// against the plain model: the input gives a few variables, a limit and the
// text. The built-in directories are the typical ones of the stand-in.
#include <cstring>

#include "base/script_tables.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "fuzz_input.h"
#include "reference.h"
#include "script/variables.h"

namespace {

ScriptTables tables;

bool SameNoCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i];
        char y = b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i];
        if (x != y) return false;
    }
    return true;
}

std::string Model(const std::string& text, bool split) {
    static const char* const kBuiltIn[][2] = {{"WinDir", "C:\\Windows"},
                                              {"WinDisk", "C:"},
                                              {"SysDir", "C:\\Windows\\System32"},
                                              {"SysDisk", "C:"},
                                              {"InstDir", "D:"}};
    std::vector<std::string> pieces = split ? ReferenceFields(text, '%', 64) : std::vector<std::string>{text};
    std::string out;
    for (const std::string& piece : pieces) {
        std::string add = piece;
        bool found = false;
        for (const auto& builtIn : kBuiltIn)
            if (!found && SameNoCase(piece, builtIn[0])) add = builtIn[1], found = true;
        for (int i = 0; !found && !piece.empty() && i < tables.variableCount; ++i)
            if (piece == tables.variables[i].name) add = tables.variables[i].value, found = true;
        out += add;
    }
    return out;
}

// Text inside the engine is UTF-8, converted from what the platform gives:
// other bytes never reach the expansion.
bool ValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t more = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 9;
        if (more > 3 || text.size() - i <= more) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::memset(&tables, 0, sizeof tables);
    gTables = &tables;
    for (int n = input.Byte() % 6; n > 0; --n) {
        ScriptVariable* row = AppendVariable(input.Text().c_str());
        if (row) CopyText(row->value, input.Text().c_str());
    }
    size_t cap = input.Byte();
    size_t limit = input.Byte() * 4;
    std::string text = input.Rest();
    text = text.substr(0, text.find('\0'));
    bool valid = ValidUtf8(text);
    for (int i = 0; i < tables.variableCount; ++i)
        valid = valid && ValidUtf8(tables.variables[i].name) && ValidUtf8(tables.variables[i].value);
    if (!valid) {
        gTables = nullptr;
        return 0;
    }
    for (bool split : {true, false}) {
        std::string expected = Model(text, split);
        std::string work = text;
        char fixed[kPathSize + 1];
        fixed[kPathSize] = '\x7f';
        size_t room = cap % (kPathSize + 1);
        bool whole = ExpandText(&work[0], fixed, room, split);
        if (fixed[kPathSize] != '\x7f') __builtin_trap();
        // A cut result ends before the character that did not fit whole.
        size_t kept = room ? std::min(expected.size(), room - 1) : 0;
        for (int back = 0; kept < expected.size() && back < 3 && kept > 0 &&
                           (static_cast<unsigned char>(expected[kept]) & 0xC0) == 0x80;
             ++back)
            --kept;
        // Widths count UTF-16 units: a lead byte one (two from 0xF0 on),
        // continuation bytes none.
        auto units = [](const std::string& t, size_t n) {
            size_t count = 0;
            for (size_t i = 0; i < n; ++i) {
                unsigned char c = static_cast<unsigned char>(t[i]);
                count += (c & 0xC0) == 0x80 ? 0 : c >= 0xF0 ? 2 : 1;
            }
            return count;
        };
        if (room && (whole != (expected.size() < room) || expected.compare(0, kept, fixed) != 0 ||
                     std::strlen(fixed) != kept))
            __builtin_trap();
        work = text;
        TextBuffer grown;
        whole = ExpandText(&work[0], grown, limit, split);
        // The limit counts UTF-16 units.
        if (whole != (units(expected, expected.size()) <= limit) ||
            expected != std::string(grown.Text(), grown.Length()))
            __builtin_trap();
    }
    gTables = nullptr;
    return 0;
}
