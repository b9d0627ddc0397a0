#include "ui/disk_prompt_dialog.h"

#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text.h"

namespace {

INT_PTR CALLBACK DiskPromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            MessageBeep(MB_ICONQUESTION);
            SetDlgItemTextA(dialog, IDC_DISK_LABEL, reinterpret_cast<const char*>(lParam));
            // Leave room for the backslash that OK appends.
            SendDlgItemMessageA(dialog, IDC_DISK_DIRECTORY, EM_LIMITTEXT, sizeof gProcess.mediaDirectory - 2, 0);
            SetDlgItemTextA(dialog, IDC_DISK_DIRECTORY, gProcess.mediaDirectory);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                GetDlgItemTextA(dialog, IDC_DISK_DIRECTORY, gProcess.mediaDirectory,
                                sizeof gProcess.mediaDirectory - 1);
                AddBackslash(gProcess.mediaDirectory);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

Answer DiskPromptDialog(const char* label) {
    return AnswerOf(
        static_cast<int>(ShowLibraryDialog(IDD_DISK, OwnerWindow(), DiskPromptProc, reinterpret_cast<LPARAM>(label))));
}
