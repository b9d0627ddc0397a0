// Every dialog of the program comes from the resource library and is shown
// through here, so that the progress dialog's waiting status text is painted
// first (ui/status_lines.h).
// Dialogs made by the wide functions are Unicode windows: their texts and
// messages carry UTF-16, which the engine turns into UTF-8 at once.
#pragma once
#include <windows.h>

// DialogBoxParamW of template id from the resource library.
INT_PTR ShowLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param);
// CreateDialogParamW of template id from the resource library: a modeless
// dialog, not yet shown.
HWND CreateLibraryDialog(int id, HWND parent, DLGPROC proc, LPARAM param);
