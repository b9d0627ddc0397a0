// TEMPORARY stand-in for the [path] visitor while it is built on another
// branch; delete this file when the real PathVariableEntry is merged. Takes
// the condition and the expanded default; never asks.
#include "script/conditions.h"
#include "script/text.h"
#include "script/variables.h"

int PathVariableEntry(char** keyFields, int keyCount, char** valueFields, int, void*) {
    if (keyCount >= 2 && !MatchCondition(gState->optionCodes, keyFields[1])) return 0;
    if (gState->variableCount >= kMaxVariables) return 0;
    ScriptVariable& row = gState->variables[gState->variableCount];
    ExpandText(valueFields[0], row.value, true);
    CopyText(row.name, keyFields[0]);
    gState->variableCount++;
    return 0;
}
