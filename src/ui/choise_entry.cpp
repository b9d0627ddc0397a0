#include "ui/choise_entry.h"

#include <windows.h>

#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"
#include "script/sections.h"

int ChoiseEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context) {
    HWND dialog = static_cast<HWND>(context);
    // Listed at all: the condition holds with "-" added to the chosen codes.
    char listing[sizeof gState->optionCodes + 1];
    CopyText(listing, gState->optionCodes);
    AppendText(listing, "-");
    if (keyCount >= 2 && !MatchCondition(listing, keyFields[1])) return 0;
    if (!valueFields[0][0]) return 0;
    // The table is full: the entry is put to the user, never left out unseen.
    if (gState->componentCount >= kMaxComponents) return ReportEntry(kMsgCannotCarryOut);

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
            LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.label));
            SendMessageA(list, LB_SETITEMDATA, item, index);
            BOOL preselect = keyCount < 2 || MatchCondition(gState->optionCodes, keyFields[1]);
            SendMessageA(list, LB_SETSEL, preselect, item);
        }
    }
    gState->componentCount++;
    return 0;
}

int PreselectedChoiseEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    int row = gState->componentCount;
    int result = ChoiseEntry(keyFields, keyCount, valueFields, valueCount, nullptr);
    if (gState->componentCount > row && valueCount >= 2)
        gState->components[row].selected = keyCount < 2 || MatchCondition(gState->optionCodes, keyFields[1]);
    return result;
}
