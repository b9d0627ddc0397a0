#include "ui/reg_variables.h"

#include <windows.h>

#include "base/registry_roots.h"
#include "base/scoped_handles.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"
#include "ui/sections.h"
#include "script/variables.h"

namespace {

// The row for a name: the first one defined, else a new empty one. Null when
// the name cannot be held whole or the table is full.
ScriptVariable* RowFor(const char* name) {
    if (lstrlenA(name) >= static_cast<int>(sizeof(ScriptVariable::name))) return nullptr;
    if (const ScriptVariable* found = FindVariable(name)) return const_cast<ScriptVariable*>(found);
    return AppendVariable(name);
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
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return StepResult::GoOn;
    BYTE data[256] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    const char* valueName = valueCount >= 2 ? valueFields[1] : nullptr;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, data, &size) == ERROR_SUCCESS) {
        // The data need not be terminated: copy no more than was read.
        if (type == REG_SZ)
            CopyTextN(row->value, sizeof row->value, reinterpret_cast<const char*>(data), size);
        else if (type == REG_DWORD)
            wsprintfA(row->value, "%lX", *reinterpret_cast<const DWORD*>(data));
    }
    return StepResult::GoOn;
}

StepResult ReadRegVariables(int* visited) {
    gState->variableCount = 0;
    StepResult result = ForEachEntry("reg", gProcess.scriptPath, '/', '|', RegVariableEntry, nullptr, visited);
    gState->regVariableCount = gState->variableCount;
    return result;
}
