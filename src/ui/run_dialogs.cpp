#include "ui/run_dialogs.h"

#include "base/library_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"

namespace {

// Ends a two-button dialog: control 1 gives `yes`, control 2 and the close box `no`.
INT_PTR TwoButtonCommand(HWND dialog, UINT message, WPARAM wParam, int yes, int no) {
    if (message == WM_CLOSE) {
        EndDialog(dialog, no);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        int id = LOWORD(wParam);
        if (id == 1 || id == 2) {
            EndDialog(dialog, id == 1 ? yes : no);
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK WelcomeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    return TwoButtonCommand(dialog, message, wParam, IDYES, IDNO);
}

// Puts the whole licence file, byte for byte, into the text control.
void LoadLicenceText(HWND dialog, const char* path) {
    // The run holds the copy open for reading: share reading with it.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD size = SetFilePointer(file, 0, nullptr, FILE_END);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (size != INVALID_SET_FILE_POINTER) {
        char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 1));
        DWORD got = 0;
        if (text && ReadFile(file, text, size, &got, nullptr) && got == size) {
            // Let the edit control hold any licence length, not only its default 32K.
            SendDlgItemMessageA(dialog, IDC_LICENCE_TEXT, EM_LIMITTEXT, 0, 0);
            SetDlgItemTextA(dialog, IDC_LICENCE_TEXT, text);
        }
        if (text) HeapFree(GetProcessHeap(), 0, text);
    }
    CloseHandle(file);
}

INT_PTR CALLBACK LicenceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        LoadLicenceText(dialog, reinterpret_cast<const char*>(lParam));
        return TRUE;
    }
    return TwoButtonCommand(dialog, message, wParam, IDOK, IDCANCEL);
}

INT_PTR CALLBACK RestartProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        MessageBeep(MB_ICONQUESTION);
        return TRUE;
    }
    return TwoButtonCommand(dialog, message, wParam, IDYES, IDNO);
}

int RunDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    return static_cast<int>(
        ShowLibraryDialog(id, parent, proc, param));
}

}  // namespace

int ShowWelcomeDialog(HWND parent) { return RunDialog(IDD_WELCOME, parent, WelcomeProc, 0); }

int ShowLicenceDialog(HWND parent, const char* licencePath) {
    return RunDialog(IDD_LICENCE, parent, LicenceProc, reinterpret_cast<LPARAM>(licencePath));
}

int ShowRestartPrompt(HWND parent) { return RunDialog(IDD_RESTART, parent, RestartProc, 0); }
