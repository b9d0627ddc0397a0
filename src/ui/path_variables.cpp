#include "ui/path_variables.h"

#include <windows.h>

#include <cstring>

#include "ui/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"
#include "ui/sections.h"
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

StepResult PathVariableEntry(SectionEntry& entry, void*) {
    char** keyFields = entry.keyFields;
    char** valueFields = entry.valueFields;
    int keyCount = entry.keyCount, valueCount = entry.valueCount;
    if (keyCount >= 2 && !MatchCondition(gState->optionCodes, keyFields[1])) return StepResult::GoOn;
    // A name that is empty or does not fit could never be looked up as written.
    const char* name = keyFields[0];
    if (!*name) return StepResult::GoOn;
    if (std::strlen(name) >= sizeof(ScriptVariable::name)) return ReportEntry(entry, kMsgCannotCarryOut);
    if (gState->variableCount >= kMaxVariables) {
        // Going on would install into a directory that was never defined.
        ReportMessage(gState->pass.ownerWindow, kMsgNoMemory, kStyleStop);
        return StepResult::Abort;
    }

    // The row is filled before it is counted: a cancelled dialog leaves no row.
    ScriptVariable* row = &gState->variables[gState->variableCount];
    row->name[0] = '\0';
    // A cut directory would install (and record) somewhere else than the script says.
    if (!ExpandText(valueFields[0], row->value, true) || WideLength(row->value) > kPathWidth)
        return ReportEntry(entry, kMsgCannotCarryOut);
    if (const char* given = PathAnswerFor(name)) CopyText(row->value, given);
    bool ask = keyCount <= 2 || ComponentSelected(keyFields[2]);
    row->asked = valueCount >= 2 && ask;
    if (valueCount >= 2 && ask && !QuietRun()) {
        char prompt[64];
        CopyText(prompt, valueFields[1]);
        if (PathDialog(row, prompt) == Answer::Cancel) {
            LogLine("Destination Directory for %s: Cancel", {TextArgument(name)});
            NoteEndReason(EndReason::Cancelled);
            return StepResult::Abort;
        }
    }
    CopyText(row->name, name);
    gState->variableCount++;
    return StepResult::GoOn;
}

namespace {

struct NameSearch {
    const char* name;
    bool found;
};

StepResult FindPathName(SectionEntry& entry, void* context) {
    auto* search = static_cast<NameSearch*>(context);
    if (entry.keyCount >= 1 && std::strcmp(entry.keyFields[0], search->name) == 0) search->found = true;
    return StepResult::GoOn;
}

}  // namespace

bool PathAnswersNamed(char (&unknown)[64]) {
    for (int i = 0; i < gSwitches.answers.pathCount; ++i) {
        NameSearch search = {gSwitches.answers.paths[i].name, false};
        ForEachEntry("path", gProcess.scriptPath, '/', 0, FindPathName, &search);
        if (!search.found) {
            CopyText(unknown, search.name);
            return false;
        }
    }
    return true;
}

StepResult ReadPathVariables(int* visited) {
    gState->variableCount = gState->regVariableCount;
    return ForEachEntry("path", gProcess.scriptPath, '/', ';', PathVariableEntry, nullptr, visited);
}
