#include "ui/component_dialog.h"

#include "ui/library_dialog.h"
#include "base/format_text.h"
#include "ui/branding.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "ui/sections.h"
#include "ui/choise_entry.h"
#include "ui/window_text.h"

namespace {

ComponentDialog* Owner(HWND dialog) { return reinterpret_cast<ComponentDialog*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_COMPONENT_LIST); }

// The description of the item holding the list's focus, the counter, and OK
// enabled only while something is selected.
void ShowSelection(HWND dialog) {
    HWND list = List(dialog);
    // A multiple-selection list answers LB_GETCURSEL with its focus item.
    LRESULT focus = SendMessageW(list, LB_GETCURSEL, 0, 0);
    LRESULT row = focus == LB_ERR ? LB_ERR : SendMessageW(list, LB_GETITEMDATA, focus, 0);
    bool known = row >= 0 && row < gState->componentCount;
    SetControlTextUtf8(dialog, IDC_COMPONENT_DESCRIPTION, known ? gState->components[row].description : "");

    int count = static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0));
    if (count < 0) count = 0;
    char counter[Utf8Room(300)];
    FormatText(counter, sizeof counter,
               ShownText(gProcess.removeMode ? ProgramText::RemoveCounter : ProgramText::Counter),
               {NumberArgument(count)});
    SetControlTextUtf8(dialog, IDC_COMPONENT_COUNTER, counter);
    EnableWindow(GetDlgItem(dialog, IDOK), count != 0);
}

void SelectAll(HWND dialog, BOOL select) {
    HWND list = List(dialog);
    int last = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) - 1;
    SendMessageW(list, LB_SELITEMRANGE, select, MAKELPARAM(0, last));
    ShowSelection(dialog);
}

void InitComponentDialog(HWND dialog) {
    char caption[Utf8Room(63)];
    ReadScriptKey("SetUp", "name", "SetUp", gProcess.scriptPath, 63, caption, sizeof caption);
    SetWindowTextUtf8(dialog, caption);
    gState->componentCount = 0;
    // Cancel on an entry that does not fit ends the run; an enumeration
    // without memory leaves the list empty.
    if (ForEachEntry("choise", gProcess.scriptPath, '/', '|', ChoiseEntry, dialog) == StepResult::Abort &&
        NotedEndReason() != EndReason::None)
        Owner(dialog)->Choose(ComponentChoice::Cancel);
    SendMessageW(List(dialog), LB_SETCARETINDEX, 0, FALSE);
    ShowSelection(dialog);
}

// Stores the list's selection into the rows and hands the choice to the run.
void Install(HWND dialog) {
    HWND ok = GetDlgItem(dialog, IDOK);
    if (!IsWindowEnabled(ok)) return;  // a command posted while the pass runs, or with nothing selected
    HWND list = List(dialog);
    int items = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < items; ++i) {
        LRESULT row = SendMessageW(list, LB_GETITEMDATA, i, 0);
        if (row >= 0 && row < gState->componentCount)
            gState->components[row].selected = SendMessageW(list, LB_GETSEL, i, 0) > 0;
    }
    EnableWindow(ok, FALSE);  // the pass runs while the dialog shows: no second start
    Owner(dialog)->Choose(ComponentChoice::Install);
}

void Cancel(HWND dialog) { Owner(dialog)->Choose(ComponentChoice::Cancel); }

INT_PTR CALLBACK ComponentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
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

ComponentDialog::ComponentDialog(HWND parent) : parent_(parent) {
    // The parent takes no input while the dialog lives, as under a modal one.
    if (parent_) EnableWindow(parent_, FALSE);
    window_ = CreateLibraryDialog(IDD_COMPONENTS, parent, ComponentDialogProc, reinterpret_cast<LPARAM>(this));
}

ComponentDialog::~ComponentDialog() {
    // Enabled first, so that the parent takes the focus back.
    if (parent_) EnableWindow(parent_, TRUE);
    if (window_) DestroyWindow(window_);
}

void ComponentDialog::Choose(ComponentChoice choice) {
    chosen_ = true;
    choice_ = choice;
    // A command sent to the dialog is handled inside the wait's GetMessage,
    // which returns only for a posted message: wake it.
    if (window_) PostMessageW(window_, WM_NULL, 0, 0);
}

ComponentChoice ComponentDialog::WaitForChoice() {
    if (!window_) return ComponentChoice::Cancel;  // the template could not be loaded: nothing was chosen
    if (chosen_ && choice_ == ComponentChoice::Cancel) return choice_;
    chosen_ = false;
    ShowSelection(window_);  // OK again, as the selection allows
    ShowWindow(window_, SW_SHOW);
    MSG message;
    while (!chosen_) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that ends the program
            return ComponentChoice::Cancel;
        }
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return choice_;
}
