// TEMPORARY: minimal status, queue and cancel helpers of the install pass so
// the actions can be built and tested before the pass lands from its own
// branch. Delete this file when the real install pass is merged.
#include "actions/install_pass.h"
#include "run/setup_state.h"
#include "ui/resource_ids.h"

void ShowStatus(const char* labels, const char* first, const char* second, const char* third) {
    HWND owner = gState ? gState->ownerWindow : nullptr;
    SetDlgItemTextA(owner, IDC_STATUS_LABELS, labels);
    SetDlgItemTextA(owner, IDC_STATUS_FIRST, first);
    SetDlgItemTextA(owner, IDC_STATUS_SECOND, second);
    SetDlgItemTextA(owner, IDC_STATUS_THIRD, third);
}

void DrainMessageQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool CancelRequested() {
    DrainMessageQueue();
    return gProcess.cancelFlag != 0;
}
