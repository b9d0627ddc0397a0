#include "ui/choise_entry.h"

#include <windows.h>

#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_compare.h"
#include "script/conditions.h"
#include "ui/sections.h"
#include "ui/window_text.h"

namespace {

// Whether a listed component is selected at first: as given for the run, or
// as its condition says.
bool Preselected(const SectionEntry& entry, const ComponentEntry& row) {
    if (gSwitches.answers.hasComponents) return ComponentAnswered(row.section, row.label);
    return entry.keyCount < 2 || MatchCondition(gState->optionCodes, entry.keyFields[1]);
}

}  // namespace

StepResult ChoiseEntry(SectionEntry& entry, void* context) {
    char** keyFields = entry.keyFields;
    char** valueFields = entry.valueFields;
    int keyCount = entry.keyCount, valueCount = entry.valueCount;
    HWND dialog = static_cast<HWND>(context);
    // Listed at all: the condition holds with "-" added to the chosen codes.
    char listing[sizeof gState->optionCodes + 1];
    CopyText(listing, gState->optionCodes);
    AppendText(listing, "-");
    if (keyCount >= 2 && !MatchCondition(listing, keyFields[1])) return StepResult::GoOn;
    if (!valueFields[0][0]) return StepResult::GoOn;
    // The table is full: the entry is put to the user, never left out unseen.
    if (gState->componentCount >= kMaxComponents) return ReportEntry(entry, kMsgCannotCarryOut);

    int index = gState->componentCount;
    ComponentEntry& row = gState->components[index];
    CopyText(row.label, keyFields[0]);
    CopyText(row.section, valueFields[0]);
    row.selected = 1;
    row.description[0] = '\0';
    if (valueCount >= 2) {
        CopyText(row.description, valueFields[1]);
        if (dialog) {
            HWND list = GetDlgItem(dialog, IDC_COMPONENT_LIST);
            LRESULT item = AddItemUtf8(list, LB_ADDSTRING, row.label);
            SendMessageW(list, LB_SETITEMDATA, item, index);
            SendMessageW(list, LB_SETSEL, Preselected(entry, row), item);
        }
        if (gSwitches.answers.hasComponents) row.selected = Preselected(entry, row);
    }
    gState->componentCount++;
    return StepResult::GoOn;
}

StepResult PreselectedChoiseEntry(SectionEntry& entry, void*) {
    int row = gState->componentCount;
    StepResult result = ChoiseEntry(entry, nullptr);
    if (gState->componentCount > row && entry.valueCount >= 2)
        gState->components[row].selected = Preselected(entry, gState->components[row]);
    return result;
}

bool ComponentAnswersListed(char (&unknown)[kAnswerTextSize]) {
    if (!gSwitches.answers.hasComponents) return true;
    const char* at = gSwitches.answers.components;
    while (NextComponentName(&at, unknown)) {
        bool listed = false;
        for (int i = 0; i < gState->componentCount && i < kMaxComponents && !listed; ++i)
            listed = CompareNoCase(unknown, gState->components[i].section) == 0 ||
                     CompareNoCase(unknown, gState->components[i].label) == 0;
        if (!listed) return false;
    }
    return true;
}
