#include "ui/reg_variables.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/registry_roots.h"
#include "base/scoped_handles.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/format_text.h"
#include "base/wide_text.h"
#include "script/conditions.h"
#include "ui/sections.h"
#include "script/variables.h"

namespace {

// The row for a name: the first one defined, else a new empty one. Null when
// the name cannot be held whole or the table is full.
ScriptVariable* RowFor(const char* name) {
    if (std::strlen(name) >= sizeof(ScriptVariable::name)) return nullptr;
    if (const ScriptVariable* found = FindVariable(name)) return const_cast<ScriptVariable*>(found);
    return AppendVariable(name);
}

// Copies a UTF-8 text into out; a text longer than the row is cut between
// characters, never inside one.
void CopyWholeCharacters(char* out, size_t cap, const std::string& text) {
    size_t length = text.size() < cap - 1 ? text.size() : cap - 1;
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    text.copy(out, length);
    out[length] = '\0';
}

}  // namespace

StepResult RegVariableEntry(SectionEntry& entry, void*) {
    char** keyFields = entry.keyFields;
    char** valueFields = entry.valueFields;
    int keyCount = entry.keyCount, valueCount = entry.valueCount;
    if (keyCount >= 2 && !MatchCondition(gState->optionCodes, keyFields[1])) return StepResult::GoOn;
    if (!keyFields[0][0]) return StepResult::GoOn;  // no name: nothing could ever look it up
    ScriptVariable* row = RowFor(keyFields[0]);
    if (!row) return ReportEntry(entry, kMsgCannotCarryOut);

    // Root name before the first backslash. A path without one is a subkey of
    // HKEY_CLASSES_ROOT, as the registry actions read such a path.
    HKEY root = HKEY_CLASSES_ROOT;
    const char* subkey = valueFields[0];
    if (char* backslash = FindText(valueFields[0], "\\")) {
        *backslash = '\0';
        root = RootKeyFromName(valueFields[0]);
        subkey = backslash + 1;
    }
    ScopedKey key;
    if (RegOpenKeyExW(root, Wide(subkey).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return StepResult::GoOn;
    // Room for 256 characters of text, as the value always had.
    wchar_t data[256] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    std::wstring valueName = valueCount >= 2 ? Wide(valueFields[1]) : std::wstring();
    if (RegQueryValueExW(key.get(), valueCount >= 2 ? valueName.c_str() : nullptr, nullptr, &type,
                         reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
        // The data need not be terminated: take no more than was read.
        if (type == REG_SZ) {
            size_t characters = 0;
            while (characters < size / sizeof(wchar_t) && data[characters]) ++characters;
            CopyWholeCharacters(row->value, sizeof row->value, Narrow(data, static_cast<int>(characters)));
        } else if (type == REG_DWORD) {
            DWORD number;
            std::memcpy(&number, data, sizeof number);
            FormatText(row->value, sizeof row->value, "%lX", {NumberArgument(static_cast<long>(number))});
        }
    }
    return StepResult::GoOn;
}

StepResult ReadRegVariables(int* visited) {
    gState->variableCount = 0;
    StepResult result = ForEachEntry("reg", gProcess.scriptPath, '/', '|', RegVariableEntry, nullptr, visited);
    gState->regVariableCount = gState->variableCount;
    return result;
}
