#include "ui/library_dialog.h"

#include "base/setup_state.h"
#include "ui/branding.h"
#include "ui/status_lines.h"

namespace {

// What a dialog starts with: its own procedure and parameter, and its
// template, whose texts the script may replace.
struct DialogStart {
    DLGPROC proc;
    LPARAM param;
    int templateId;
};

// The first procedure of every dialog: it puts the script's texts in, then
// hands the dialog to its own procedure for good.
INT_PTR CALLBACK StartDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    const DialogStart* start = reinterpret_cast<const DialogStart*>(lParam);
    ApplyScriptTexts(dialog, start->templateId);
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(start->proc));
    return start->proc(dialog, message, wParam, start->param);
}

}  // namespace

INT_PTR ShowLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    PaintPendingStatus();
    DialogStart start = {proc, param, id};
    return DialogBoxParamW(gProcess.libraryModule, MAKEINTRESOURCEW(id), parent, StartDialog,
                           reinterpret_cast<LPARAM>(&start));
}

HWND CreateLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    PaintPendingStatus();
    DialogStart start = {proc, param, id};
    return CreateDialogParamW(gProcess.libraryModule, MAKEINTRESOURCEW(id), parent, StartDialog,
                              reinterpret_cast<LPARAM>(&start));
}
