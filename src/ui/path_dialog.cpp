#include "ui/path_dialog.h"

#include "base/format_text.h"
#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text.h"

namespace {

struct PathRequest {
    ScriptVariable* row;
    const char* prompt;
};

// The templates come with the product's resource library. Only a template
// whose one conversion is a plain %s (flags, width and precision allowed) is
// given the prompt; any other is shown as it stands, since the formatter
// would read arguments that were never passed.
bool TakesOneText(const char* text) {
    int conversions = 0;
    for (const char* at = text; *at; ++at) {
        if (*at != '%') continue;
        if (at[1] == '%') {
            ++at;
            continue;
        }
        ++at;
        while (*at == '-' || *at == '0' || *at == '#') ++at;
        while (*at >= '0' && *at <= '9') ++at;
        if (*at == '.') {
            ++at;
            while (*at >= '0' && *at <= '9') ++at;
        }
        if (*at != 's' || ++conversions > 1) return false;
    }
    return true;
}

void FillTemplate(HWND dialog, int id, const char* prompt) {
    char format[128] = "";
    GetDlgItemTextA(dialog, id, format, sizeof format);
    char text[128];
    if (TakesOneText(format)) FormatText(text, sizeof text, format, {TextArgument(prompt)});
    else CopyText(text, format);
    SetDlgItemTextA(dialog, id, text);
}

INT_PTR CALLBACK PathProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* request = reinterpret_cast<PathRequest*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        MessageBeep(MB_ICONQUESTION);
        FillTemplate(dialog, IDC_PATH_TEXT1, request->prompt);
        FillTemplate(dialog, IDC_PATH_TEXT2, request->prompt);
        // As much as the row can hold, so a long default is not cut on OK.
        SendDlgItemMessageA(dialog, IDC_PATH_EDIT, EM_LIMITTEXT, sizeof request->row->value - 1, 0);
        SetDlgItemTextA(dialog, IDC_PATH_EDIT, request->row->value);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        auto* request = reinterpret_cast<PathRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
        char text[sizeof request->row->value] = "";
        GetDlgItemTextA(dialog, IDC_PATH_EDIT, text, sizeof text);
        int n = lstrlenA(text);
        if (n && text[n - 1] == '\\') text[n - 1] = '\0';
        CopyText(request->row->value, text);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

Answer PathDialog(ScriptVariable* row, const char* prompt) {
    PathRequest request = {row, prompt ? prompt : ""};
    return AnswerOf(
        static_cast<int>(ShowLibraryDialog(IDD_PATH, OwnerWindow(), PathProc, reinterpret_cast<LPARAM>(&request))));
}
