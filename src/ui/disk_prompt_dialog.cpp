#include "ui/disk_prompt_dialog.h"

#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "ui/window_text.h"

namespace {

INT_PTR CALLBACK DiskPromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            MessageBeep(MB_ICONQUESTION);
            SetControlTextUtf8(dialog, IDC_DISK_LABEL, reinterpret_cast<const char*>(lParam));
            // A path's room in characters, as the edit control counts, less
            // the backslash that OK appends.
            SendDlgItemMessageW(dialog, IDC_DISK_DIRECTORY, EM_LIMITTEXT, MAX_PATH - 2, 0);
            SetControlTextUtf8(dialog, IDC_DISK_DIRECTORY, gProcess.mediaDirectory);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                // A directory whose UTF-8 spelling does not fit the run's
                // buffer is not taken (never cut): the dialog stays.
                char typed[sizeof gProcess.mediaDirectory - 1];
                if (!ReadControlTextUtf8(dialog, IDC_DISK_DIRECTORY, typed, sizeof typed)) {
                    MessageBeep(MB_ICONHAND);
                    return TRUE;
                }
                CopyText(gProcess.mediaDirectory, typed);
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
