#include "ui/library_dialog.h"

#include "base/setup_state.h"
#include "ui/status_lines.h"

INT_PTR ShowLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    PaintPendingStatus();
    return DialogBoxParamA(gProcess.libraryModule, MAKEINTRESOURCEA(id), parent, proc, param);
}

HWND CreateLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    PaintPendingStatus();
    return CreateDialogParamA(gProcess.libraryModule, MAKEINTRESOURCEA(id), parent, proc, param);
}
