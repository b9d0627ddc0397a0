#include "ui/path_variables.h"

#include <windows.h>

#include <cstring>

#include "base/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"
#include "ui/path_dialog.h"

namespace {

bool ComponentSelected(const char* section) {
    for (int i = 0; i < gState->componentCount && i < kMaxComponents; ++i)
        if (gState->components[i].selected && std::strcmp(gState->components[i].section, section) == 0)
            return true;
    return false;
}

}  // namespace

int PathVariableEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (keyCount >= 2 && !MatchCondition(gState->optionCodes, keyFields[1])) return 0;
    // A name that is empty or does not fit could never be looked up as written.
    const char* name = keyFields[0];
    if (!*name) return 0;
    if (lstrlenA(name) >= static_cast<int>(sizeof(ScriptVariable::name))) return ReportEntry(kMsgCannotCarryOut);
    if (gState->variableCount >= kMaxVariables) {
        // Going on would install into a directory that was never defined.
        ReportMessage(gState->pass.ownerWindow, kMsgNoMemory, kStyleStop);
        return kAbort;
    }

    // The row is filled before it is counted: a cancelled dialog leaves no row.
    ScriptVariable* row = &gState->variables[gState->variableCount];
    row->name[0] = '\0';
    // A cut directory would install (and record) somewhere else than the script says.
    if (!ExpandText(valueFields[0], row->value, true)) return ReportEntry(kMsgCannotCarryOut) == kAbort ? kAbort : 0;
    bool ask = keyCount <= 2 || ComponentSelected(keyFields[2]);
    if (valueCount >= 2 && ask && !QuietRun()) {
        char prompt[64];
        CopyText(prompt, valueFields[1]);
        if (PathDialog(row, prompt) == IDCANCEL) {
            LogLine("Destination Directory for %s: Cancel", {TextArgument(name)});
            NoteEndReason(EndReason::Cancelled);
            return kAbort;
        }
    }
    CopyText(row->name, name);
    gState->variableCount++;
    return 0;
}

int ReadPathVariables() {
    gState->variableCount = gState->regVariableCount;
    return ForEachEntry("path", gProcess.scriptPath, '/', ';', PathVariableEntry, nullptr);
}
