// TEMPORARY: minimal stand-ins for the install pass's status and cancel
// helpers until the install pass lands on main. Delete at that merge.
#include "actions/install_pass.h"
#include "run/setup_state.h"

void ShowStatus(const char* labels, const char* first, const char* second, const char* third) {
    HWND owner = gState ? gState->ownerWindow : nullptr;
    if (!owner) return;
    SetDlgItemTextA(owner, 200, labels);
    SetDlgItemTextA(owner, 100, first);
    SetDlgItemTextA(owner, 110, second);
    SetDlgItemTextA(owner, 120, third);
}

void DrainMessageQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool CancelRequested() {
    DrainMessageQueue();
    return gProcess.cancelFlag != 0;
}
