#include "script/reg_variables.h"

#include <windows.h>

#include "base/registry_roots.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"
#include "script/sections.h"
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

int RegVariableEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (keyCount >= 2 && !MatchCondition(gState->optionCodes, keyFields[1])) return 0;
    if (!keyFields[0][0]) return 0;  // no name: nothing could ever look it up
    ScriptVariable* row = RowFor(keyFields[0]);
    if (!row) return ReportEntry(kMsgCannotCarryOut);

    // Root name before the first backslash. A path without one is a subkey of
    // HKEY_CLASSES_ROOT, as the registry actions read such a path.
    HKEY root = HKEY_CLASSES_ROOT;
    const char* subkey = valueFields[0];
    if (char* backslash = FindText(valueFields[0], "\\")) {
        *backslash = '\0';
        root = RootKeyFromName(valueFields[0]);
        subkey = backslash + 1;
    }
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    BYTE data[256] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    const char* valueName = valueCount >= 2 ? valueFields[1] : nullptr;
    if (RegQueryValueExA(key, valueName, nullptr, &type, data, &size) == ERROR_SUCCESS) {
        // The data need not be terminated: copy no more than was read.
        if (type == REG_SZ) CopyTextN(row->value, sizeof row->value, reinterpret_cast<const char*>(data), size);
        else if (type == REG_DWORD) wsprintfA(row->value, "%lX", *reinterpret_cast<const DWORD*>(data));
    }
    RegCloseKey(key);
    return 0;
}

int ReadRegVariables() {
    gState->variableCount = 0;
    int result = ForEachEntry("reg", gProcess.scriptPath, '/', '|', RegVariableEntry, nullptr);
    gState->regVariableCount = gState->variableCount;
    return result;
}
