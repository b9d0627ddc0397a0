#include "ui/run_dialogs.h"

#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text_buffer.h"
#include "base/whole_files.h"
#include "base/wide_text.h"

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

// The licence file's text: UTF-16LE after its byte order mark, UTF-8 after
// its mark, and any other file in the machine's code page, as licences were
// always written.
std::wstring LicenceText(const TextBuffer& file) {
    const char* bytes = file.Text();
    size_t length = file.Length();
    if (length >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::wstring wide((length - 2) / 2, L'\0');
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
        return wide;
    }
    if (length >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF && static_cast<unsigned char>(bytes[1]) == 0xBB &&
        static_cast<unsigned char>(bytes[2]) == 0xBF)
        return Wide(bytes + 3, length - 3);
    std::string text = FromAnsi(bytes, length);
    return Wide(text.c_str(), text.size());
}

// Puts the whole licence file into the text control.
void LoadLicenceText(HWND dialog, const char* path) {
    TextBuffer file;
    bool exists = false;
    if (!ReadWholeFile(path, file, &exists) || !exists) return;
    // Let the edit control hold any licence length, not only its default 32K.
    SendDlgItemMessageW(dialog, IDC_LICENCE_TEXT, EM_LIMITTEXT, 0, 0);
    SetDlgItemTextW(dialog, IDC_LICENCE_TEXT, LicenceText(file).c_str());
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

Answer RunDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    return AnswerOf(static_cast<int>(ShowLibraryDialog(id, parent, proc, param)));
}

}  // namespace

Answer ShowWelcomeDialog(HWND parent) { return RunDialog(IDD_WELCOME, parent, WelcomeProc, 0); }

Answer ShowLicenceDialog(HWND parent, const char* licencePath) {
    return RunDialog(IDD_LICENCE, parent, LicenceProc, reinterpret_cast<LPARAM>(licencePath));
}

Answer ShowRestartPrompt(HWND parent) { return RunDialog(IDD_RESTART, parent, RestartProc, 0); }
