// Every dialog of the program comes from the resource library and is shown
// through here, so that the progress dialog's waiting status text is painted
// first (ui/status_lines.h).
#pragma once
#include <windows.h>

// DialogBoxParamA of template id from the resource library.
INT_PTR ShowLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param);
// CreateDialogParamA of template id from the resource library: a modeless
// dialog, not yet shown.
HWND CreateLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param);
