#include "ui/component_dialog.h"

#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "ui/sections.h"
#include "ui/choise_entry.h"

namespace {

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_COMPONENT_LIST); }

// The description of the item holding the list's focus, the counter, and OK
// enabled only while something is selected.
void ShowSelection(HWND dialog) {
    HWND list = List(dialog);
    // A multiple-selection list answers LB_GETCURSEL with its focus item.
    LRESULT focus = SendMessageA(list, LB_GETCURSEL, 0, 0);
    LRESULT row = focus == LB_ERR ? LB_ERR : SendMessageA(list, LB_GETITEMDATA, focus, 0);
    bool known = row >= 0 && row < gState->componentCount;
    SetDlgItemTextA(dialog, IDC_COMPONENT_DESCRIPTION, known ? gState->components[row].description : "");

    int count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    if (count < 0) count = 0;
    char counter[64];
    wsprintfA(counter, gProcess.removeMode ? "Selected %d\nItems to Remove" : "Selected %d\nItems to Install", count);
    SetDlgItemTextA(dialog, IDC_COMPONENT_COUNTER, counter);
    EnableWindow(GetDlgItem(dialog, IDOK), count != 0);
}

void SelectAll(HWND dialog, BOOL select) {
    HWND list = List(dialog);
    int last = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) - 1;
    SendMessageA(list, LB_SELITEMRANGE, select, MAKELPARAM(0, last));
    ShowSelection(dialog);
}

void InitComponentDialog(HWND dialog) {
    char caption[64];
    GetPrivateProfileStringA("SetUp", "name", "SetUp", caption, sizeof caption, gProcess.scriptPath);
    SetWindowTextA(dialog, caption);
    gState->componentCount = 0;
    // Cancel on an entry that does not fit ends the run; an enumeration
    // without memory leaves the list empty.
    if (ForEachEntry("choise", gProcess.scriptPath, '/', '|', ChoiseEntry, dialog) == StepResult::Abort &&
        NotedEndReason() != EndReason::None)
        EndDialog(dialog, static_cast<INT_PTR>(InstallOutcome::Cancelled));
    SendMessageA(List(dialog), LB_SETCARETINDEX, 0, FALSE);
    ShowSelection(dialog);
}

// Stores the list's selection into the rows and hands over to the run's
// install step. An aborted pass leaves the dialog open for another try.
void Install(HWND dialog) {
    HWND ok = GetDlgItem(dialog, IDOK);
    if (!IsWindowEnabled(ok)) return;  // a command posted while the pass runs, or with nothing selected
    HWND list = List(dialog);
    int items = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < items; ++i) {
        LRESULT row = SendMessageA(list, LB_GETITEMDATA, i, 0);
        if (row >= 0 && row < gState->componentCount)
            gState->components[row].selected = SendMessageA(list, LB_GETSEL, i, 0) > 0;
    }
    EnableWindow(ok, FALSE);  // the pass runs inside this handler: no second start
    auto install = reinterpret_cast<const InstallStep*>(GetWindowLongPtrA(dialog, DWLP_USER));
    InstallOutcome outcome = install->run(dialog, install->context);
    if (outcome != InstallOutcome::Aborted) EndDialog(dialog, static_cast<INT_PTR>(outcome));
    EnableWindow(ok, TRUE);
}

void Cancel(HWND dialog) { EndDialog(dialog, static_cast<INT_PTR>(InstallOutcome::Cancelled)); }

INT_PTR CALLBACK ComponentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitComponentDialog(dialog);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        Cancel(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_COMPONENT_LIST:
            if (HIWORD(wParam) != LBN_SELCHANGE) return FALSE;
            ShowSelection(dialog);
            return TRUE;
        case IDC_SELECT_ALL:
            SelectAll(dialog, TRUE);
            return TRUE;
        case IDC_CLEAR_ALL:
            SelectAll(dialog, FALSE);
            return TRUE;
        case IDCANCEL:
            Cancel(dialog);
            return TRUE;
        case IDOK:
            Install(dialog);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

InstallOutcome ShowComponentDialog(HWND parent, const InstallStep& install) {
    INT_PTR result = ShowLibraryDialog(IDD_COMPONENTS, parent, ComponentDialogProc, reinterpret_cast<LPARAM>(&install));
    // -1: the template could not be loaded, so nothing was chosen.
    return result == -1 ? InstallOutcome::Cancelled : static_cast<InstallOutcome>(result);
}
